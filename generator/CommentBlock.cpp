// SPDX-License-Identifier: MIT
#include "generator/CommentBlock.h"

#include "platform/Text.h"

namespace qm {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCreationDate = "Creation Date";

std::size_t PadCount(int column, std::size_t length) {
    if (column < 0 || length > static_cast<std::size_t>(column)) return 0;
    return static_cast<std::size_t>(column) - length + 1;
}

// Builds one line at a time, keeping the line's length in characters so that padding is
// measured on the whole line, prefix included, without rescanning it.
class BlockWriter {
public:
    explicit BlockWriter(std::string_view prefix) : m_prefix(prefix) {}

    BlockWriter& begin() {
        m_out += m_prefix;
        m_lineChars = CharLength(m_prefix);
        return *this;
    }
    BlockWriter& text(std::string_view s) {
        m_out += s;
        m_lineChars += CharLength(s);
        return *this;
    }
    BlockWriter& padTo(int column) {
        const std::size_t n = PadCount(column, m_lineChars);
        m_out.append(n, ' ');
        m_lineChars += n;
        return *this;
    }
    void end() { m_out += kCrLf; }
    void line(std::string_view s = {}) { begin().text(s).end(); }
    void rule(char c) {
        begin();
        m_out.append(kRuleLength, c);
        end();
    }
    std::string take() { return std::move(m_out); }
    void reserve(std::size_t n) { m_out.reserve(n); }

private:
    std::string_view m_prefix;
    std::string m_out;
    std::size_t m_lineChars = 0;
};

}  // namespace

std::string_view KindName(ProcedureKind kind) {
    switch (kind) {
    case ProcedureKind::Function: return "Function";
    case ProcedureKind::Property: return "Property";
    case ProcedureKind::General: return "General";
    case ProcedureKind::Sub: break;
    }
    return "Sub";
}

std::string_view AccessName(AccessLevel access) {
    switch (access) {
    case AccessLevel::Private: return "Private";
    case AccessLevel::Protected: return "Protected";
    case AccessLevel::Friend: return "Friend";
    case AccessLevel::Public: break;
    }
    return "Public";
}

std::optional<ProcedureKind> ParseKindName(std::string_view name) {
    for (ProcedureKind kind :
         {ProcedureKind::Sub, ProcedureKind::Function, ProcedureKind::Property, ProcedureKind::General})
        if (name == KindName(kind)) return kind;
    return std::nullopt;
}

std::optional<AccessLevel> ParseAccessName(std::string_view name) {
    for (AccessLevel access :
         {AccessLevel::Public, AccessLevel::Private, AccessLevel::Protected, AccessLevel::Friend})
        if (name == AccessName(access)) return access;
    return std::nullopt;
}

std::string PadToColumn(std::int16_t column, std::string_view text) {
    return std::string(PadCount(column, CharLength(text)), ' ');
}

std::string_view RemarkPrefix(DevelopmentLanguage language) {
    if (language == kVisualBasic) return "'";
    if (language == kVisualCpp) return "//";
    return {};
}

std::string FormatCommentDate(const DateTime& date) {
    const auto twoDigits = [](std::string& out, int n) {
        n = ((n % 100) + 100) % 100;
        out += static_cast<char>('0' + n / 10);
        out += static_cast<char>('0' + n % 10);
    };
    std::string out;
    out.reserve(16);
    twoDigits(out, date.day);
    out += '-';
    out += MonthAbbreviation(date.month);
    out += '-';
    twoDigits(out, date.year);
    return out;
}

std::string BuildCommentBlock(const ProcedureDescription& d, DevelopmentLanguage language,
                              std::string_view developerName, const DateTime& date) {
    return BuildCommentBlock(
        d, language, {{FormatCommentDate(date), std::string(developerName), std::string(kCreationDate)}});
}

std::string BuildCommentBlock(const ProcedureDescription& d, DevelopmentLanguage language,
                              const std::vector<HistoryLine>& history) {
    const std::string_view prefix = RemarkPrefix(language);
    BlockWriter w(prefix);
    w.reserve(1400 + (d.parameters.size() + history.size()) * 100);

    w.rule('=');
    const ProcedureKind kind = d.kind == ProcedureKind::General ? ProcedureKind::Sub : d.kind;
    w.begin().padTo(2).text(AccessName(d.access)).text(" ").text(KindName(kind)).text(" ").text(d.name).end();
    w.begin().padTo(2).text("Purpose:").end();
    w.begin().padTo(6).text(d.purpose).end();
    w.begin().padTo(2).text("Parameters:").end();
    if (language == kVisualBasic || language == kVisualCpp) {
        for (const ParameterEntry& p : d.parameters) {
            w.begin().padTo(6);
            if (language == kVisualBasic && p.Optional == "Yes") w.text("Optional ");
            w.text(p.Type).padTo(27).text(p.Name).padTo(45).text(p.Description).end();
        }
    }
    w.line();
    w.line();
    w.begin().padTo(2).text("Returns:").end();
    w.begin().padTo(6).text(d.returns).end();
    w.rule('-');
    w.begin().padTo(2).text("History:").end();
    for (const HistoryLine& h : history) {
        // The note ends in the rules' last column while the date and name leave room.
        const int noteColumn =
            static_cast<int>(kRuleLength + prefix.size()) - static_cast<int>(CharLength(h.note)) - 1;
        w.begin().padTo(6).text(h.date).padTo(27).text(h.developer).padTo(noteColumn).text(h.note).end();
    }
    w.rule('=');
    w.line();
    w.line();
    w.line();
    return w.take();
}

}  // namespace qm
