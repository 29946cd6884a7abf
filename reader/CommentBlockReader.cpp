// SPDX-License-Identifier: MIT
#include "reader/CommentBlockReader.h"

#include <algorithm>

#include "platform/Text.h"

namespace qm {
namespace {

// Character columns (0-based) where the builder starts each field.
constexpr std::size_t kValueColumn = 7;
constexpr std::size_t kNameColumn = 28;
constexpr std::size_t kDescriptionColumn = 46;
constexpr std::string_view kOptional = "Optional ";

struct ReadError {
    std::size_t line;  // 0-based
    std::string why;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

// Characters [from, to) of text, counted in characters; to = npos takes the rest.
std::string_view Chars(std::string_view text, std::size_t from, std::size_t to = std::string_view::npos) {
    const std::size_t start = CharPrefix(text, from).size();
    if (to == std::string_view::npos) return text.substr(start);
    return text.substr(start, CharPrefix(text, to).size() - start);
}

bool AllBlank(std::string_view s) { return TrimLeft(s).empty(); }

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

class BlockParser {
public:
    BlockParser(std::string_view text, const ProcedureDescription* declaration) : m_declaration(declaration) {
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (end < text.size() || !line.empty()) m_lines.push_back(line);
            start = end + 1;
        }
    }

    CommentBlockResult read() {
        CommentBlockResult r;
        ProcedureDescription d;
        if (m_lines.empty()) throw ReadError{0, "empty text"};
        const std::string_view first = TrimRight(TrimLeft(m_lines[0]));
        m_prefix = StartsWith(first, "//") ? "//" : StartsWith(first, "'") ? "'" : "";
        // Without a prefix the padding starts the line, so only the first line's indent goes.
        const std::string_view indent = m_lines[0].substr(0, m_lines[0].size() - TrimLeft(m_lines[0]).size());
        for (std::string_view& line : m_lines) {
            if (!m_prefix.empty()) line = TrimLeft(line);
            else if (StartsWith(line, indent)) line.remove_prefix(indent.size());
        }
        r.language = m_prefix == "'" ? 0 : m_prefix == "//" ? 1 : -1;
        if (!isRule(0, '=')) throw ReadError{0, "not a header block: no double rule"};

        readHeading(1, d);
        expectLabel(2, "Purpose:");
        d.purpose = std::string(value(3));
        expectLabel(4, "Parameters:");
        std::size_t returns = 5;
        while (!isLabel(returns, "Returns:")) ++returns;
        if (returns < 7 || !isEmpty(returns - 1) || !isEmpty(returns - 2))
            throw ReadError{returns - 1, "two empty remark lines must stand before \"Returns:\""};
        for (std::size_t i = 5; i < returns - 2; ++i) {
            if (r.language == -1) throw ReadError{i, "a block without remark prefix lists no parameters"};
            d.parameters.push_back(readParameter(i, r.language));
        }
        d.returns = std::string(value(returns + 1));
        if (!isRule(returns + 2, '-')) throw ReadError{returns + 2, "expected the single rule"};
        expectLabel(returns + 3, "History:");
        std::size_t i = returns + 4;
        for (; !isRule(i, '='); ++i) r.history.push_back(readHistory(i, r.history.empty()));
        for (++i; i < m_lines.size(); ++i)
            if (!m_lines[i].empty() && !isEmpty(i)) throw ReadError{i, "text after the closing rule"};
        if (!r.history.empty()) {
            r.dateText = r.history.front().date;
            r.developerName = r.history.front().developer;
        }
        r.description = std::move(d);
        return r;
    }

private:
    // The line behind its prefix; a missing line or prefix is an error.
    std::string_view body(std::size_t i) const {
        if (i >= m_lines.size()) throw ReadError{m_lines.size() - 1, "the block ends too early"};
        if (!StartsWith(m_lines[i], m_prefix))
            throw ReadError{i, "expected the remark prefix \"" + std::string(m_prefix) + "\""};
        return m_lines[i].substr(m_prefix.size());
    }

    bool isRule(std::size_t i, char c) const {
        const std::string_view b = TrimRight(body(i));
        return b.size() == kRuleLength && b.find_first_not_of(c) == std::string_view::npos;
    }
    bool isEmpty(std::size_t i) const { return AllBlank(body(i)); }
    bool isLabel(std::size_t i, std::string_view label) const {
        const std::string_view b = body(i);
        return TrimRight(TrimLeft(b)) == label &&
               b.size() - TrimLeft(b).size() + m_prefix.size() < kValueColumn;
    }
    void expectLabel(std::size_t i, std::string_view label) const {
        if (!isLabel(i, label)) throw ReadError{i, "expected \"" + std::string(label) + "\""};
    }

    // A field starting in column 8; trailing blanks stripped by an editor read as empty.
    std::string_view value(std::size_t i) const {
        body(i);
        const std::string_view line = m_lines[i];
        const std::string_view lead = Chars(line, m_prefix.size(), kValueColumn);
        if (!AllBlank(lead)) return TrimLeft(Chars(line, m_prefix.size()));
        return Chars(line, kValueColumn);
    }

    void readHeading(std::size_t i, ProcedureDescription& d) const {
        std::string_view b = TrimLeft(body(i));
        const auto take = [&b](std::string_view word) {
            if (!StartsWith(b, word.substr(0, word.size() - 1))) return false;
            if (b.size() > word.size() - 1 && b[word.size() - 1] != ' ') return false;
            b.remove_prefix(std::min(b.size(), word.size()));
            return true;
        };
        if (take("Public ")) d.access = AccessLevel::Public;
        else if (take("Private ")) d.access = AccessLevel::Private;
        else if (take("Protected ")) d.access = AccessLevel::Protected;
        else if (take("Friend ")) d.access = AccessLevel::Friend;
        else throw ReadError{i, "expected Public, Private or Protected"};
        if (take("Sub ")) d.kind = ProcedureKind::Sub;
        else if (take("Function ")) d.kind = ProcedureKind::Function;
        else if (take("Property ")) d.kind = ProcedureKind::Property;
        else throw ReadError{i, "expected Sub, Function or Property"};
        d.name = std::string(b);
    }

    ParameterEntry readParameter(std::size_t i, DevelopmentLanguage language) const {
        body(i);
        const std::string_view line = m_lines[i];
        if (!AllBlank(Chars(line, m_prefix.size(), kValueColumn)))
            throw ReadError{i, "a parameter line starts in column 8"};
        ParameterEntry p{{}, "No", {}, {}};
        std::string_view area = Chars(line, kValueColumn);
        std::size_t typeColumn = kValueColumn;
        if (language == kVisualBasic && (StartsWith(area, kOptional) || TrimRight(area) == "Optional")) {
            p.Optional = "Yes";
            area = Chars(area, kOptional.size());
            typeColumn += kOptional.size();
        }
        // A type too long for its column runs straight into the name.
        if (m_declaration) {
            for (const ParameterEntry& d : m_declaration->parameters) {
                const std::size_t nameStart = typeColumn + CharLength(d.Type);
                if (nameStart < kNameColumn || !StartsWith(area, d.Type + d.Name)) continue;
                p.Type = d.Type;
                p.Name = d.Name;
                readDescription(i, line, nameStart, p);
                return p;
            }
        }
        const std::string_view nameArea = Chars(line, kNameColumn - 1);
        if (!nameArea.empty() && !IsBlank(nameArea.front()))
            throw ReadError{i, "the type runs into the name; cannot tell where the name starts"};
        p.Type = std::string(TrimRight(Chars(line, typeColumn, kNameColumn)));
        std::string_view rest = Chars(line, kNameColumn);
        const std::string_view namePart = Chars(rest, 0, kDescriptionColumn - kNameColumn);
        if (CharLength(rest) < kDescriptionColumn - kNameColumn || IsBlank(namePart.back())) {
            p.Name = std::string(TrimRight(namePart));
            p.Description = std::string(Chars(rest, kDescriptionColumn - kNameColumn));
            return p;
        }
        // The name filled its column, so the description (if any) follows it directly.
        std::size_t nameChars = std::string_view::npos;
        if (m_declaration)
            for (const ParameterEntry& d : m_declaration->parameters)
                if (CharLength(d.Name) >= kDescriptionColumn - kNameColumn && StartsWith(rest, d.Name))
                    nameChars = CharLength(d.Name);
        if (nameChars == std::string_view::npos) {
            if (rest.find_first_of(" \t") != std::string_view::npos)
                throw ReadError{i, "the name runs into the description; cannot tell where it ends"};
            nameChars = CharLength(rest);
        }
        p.Name = std::string(Chars(rest, 0, nameChars));
        p.Description = std::string(Chars(rest, nameChars));
        return p;
    }

    // After a name taken from the declaration: blanks up to the description's column, if any.
    void readDescription(std::size_t i, std::string_view line, std::size_t nameStart,
                         ParameterEntry& p) const {
        const std::size_t nameEnd = nameStart + CharLength(p.Name);
        if (nameEnd < kDescriptionColumn && !AllBlank(Chars(line, nameEnd, kDescriptionColumn)))
            throw ReadError{i, "the name runs into the description"};
        p.Description = std::string(Chars(line, std::max(nameEnd, kDescriptionColumn)));
    }

    // Date, name and a note that ends in the rules' last column. Any split of the name and
    // the note at a run of blanks builds the same line, so take the widest run, the last on
    // a tie: names and notes seldom hold two blanks in a row.
    HistoryLine readHistory(std::size_t i, bool creation) const {
        body(i);
        const std::string_view line = m_lines[i];
        HistoryLine h;
        h.date = std::string(TrimRight(Chars(line, kValueColumn, kNameColumn)));
        std::string_view rest = Chars(line, kNameColumn);
        const std::string_view dateEnd = Chars(line, kNameColumn - 1, kNameColumn);
        if (!dateEnd.empty() && !IsBlank(dateEnd.front())) {
            const std::string_view from = Chars(line, kValueColumn);
            const std::size_t blank = from.find_first_of(" \t");
            h.date = std::string(from.substr(0, blank));
            rest = blank == std::string_view::npos ? std::string_view() : TrimLeft(from.substr(blank));
        }
        // The builder writes one note on every line, so trailing blanks stripped here keep
        // the last word as the note.
        if (creation && TrimRight(rest).ends_with("Creation Date")) {
            h.note = "Creation Date";
            h.developer = std::string(TrimRight(rest.substr(0, TrimRight(rest).size() - h.note.size())));
            return h;
        }
        std::size_t bestAt = std::string_view::npos, bestLength = 0;
        for (std::size_t at = 0; at < rest.size();) {
            if (!IsBlank(rest[at])) {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < rest.size() && IsBlank(rest[end])) ++end;
            if (end - at >= bestLength) {
                bestAt = at;
                bestLength = end - at;
            }
            at = end;
        }
        if (bestAt == std::string_view::npos) {
            h.developer = std::string(rest);
        } else {
            h.developer = std::string(rest.substr(0, bestAt));
            h.note = std::string(rest.substr(bestAt + bestLength));
        }
        return h;
    }

    std::vector<std::string_view> m_lines;
    std::string_view m_prefix;
    const ProcedureDescription* m_declaration;
};

}  // namespace

CommentBlockResult ReadCommentBlock(std::string_view text, const ProcedureDescription* declaration) {
    try {
        return BlockParser(text, declaration).read();
    } catch (const ReadError& e) {
        CommentBlockResult r;
        r.errorLine = e.line + 1;
        r.error = "line " + std::to_string(r.errorLine) + ": " + e.why;
        return r;
    }
}

}  // namespace qm
