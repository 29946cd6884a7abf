// SPDX-License-Identifier: MIT
#include "generator/CommentStyle.h"

#include <algorithm>
#include <array>

namespace qm {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Doxygen commands that open a paragraph; the others (@c, @ref, @a ...) sit inside text.
constexpr std::string_view kDoxygenSections =
    "details note see sa throw throws exception pre post warning author authors date since deprecated "
    "todo bug invariant remark remarks attention version copyright par li arg test internal class "
    "struct union enum fn var def typedef file namespace overload ingroup defgroup addtogroup name "
    "example snippet section subsection page mainpage cond";

constexpr std::array<CommentStyle, 4> kStyles = {{
    {"box", TagSyntax::Box, "", "", "", "", "", "", "", false, "", "", "", "", "", "", "", false},
    {"doxygen", TagSyntax::Commands, "/** /*! /// //!", "", "brief short", "param", "tparam",
     "return returns result retval", kDoxygenSections, true, "{tag}brief {text}", "{text}",
     "{tag}param {name} {text}", "{tag}tparam {name} {text}", "{tag}return {text}", "{tag}author {text}",
     "{tag}date {text}", true},
    {"xmldoc", TagSyntax::Elements, "///", "'''", "summary", "param", "typeparam", "returns", "*", false,
     "<summary>\n{text}\n</summary>", "", "<param name=\"{name}\">{text}</param>",
     "<typeparam name=\"{name}\">{text}</typeparam>", "<returns>{text}</returns>", "", "", false},
    // Rubberduck reads '@Description; the parameter and return tags are the JSDoc-like ones
    // of the VBA libraries that document them.
    {"vbtags", TagSyntax::Commands, "", "'", "Description", "param", "", "returns return", "*", false,
     "@Description(\"{quoted}\")", "{text}", "@param {name} {text}", "", "@returns {text}", "@author {text}",
     "@date {text}", false},
}};

constexpr std::array<CommentFrame, 6> kFrames = {{
    {"/**", "/**", " * ", " *", " */"},
    {"/*!", "/*!", " * ", " *", " */"},
    {"///", "", "/// ", "///", ""},
    {"//!", "", "//! ", "//!", ""},
    {"'''", "", "''' ", "'''", ""},
    {"'", "", "'", "'", ""},
}};

std::string_view Openers(const CommentStyle& style, DevelopmentLanguage language) {
    if (language == kVisualCpp) return style.cppOpeners;
    if (language == kVisualBasic) return style.vbOpeners;
    return {};
}

std::string Digits(int n, int count) {
    std::string out(static_cast<std::size_t>(count), '0');
    for (int i = count; i-- > 0; n /= 10) out[static_cast<std::size_t>(i)] = static_cast<char>('0' + n % 10);
    return out;
}

// Writes the lines of one template, each behind the frame's prefix.
class CommentWriter {
public:
    CommentWriter(const CommentFrame& frame, char tag) : m_frame(frame), m_tag(tag) {}

    void add(std::string_view tmpl, std::string_view name, std::string_view text) {
        if (tmpl.empty()) return;
        std::string line;
        for (std::size_t i = 0; i < tmpl.size(); ++i) {
            const std::string_view rest = tmpl.substr(i);
            if (rest.starts_with("{tag}")) {
                line += m_tag;
                i += 4;
            } else if (rest.starts_with("{name}")) {
                line += name;
                i += 5;
            } else if (rest.starts_with("{text}")) {
                for (std::size_t at = 0; at < text.size(); ++at) {
                    if (text[at] != '\r' && text[at] != '\n') {
                        line += text[at];
                        continue;
                    }
                    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
                    end(line);
                }
                i += 5;
            } else if (rest.starts_with("{quoted}")) {
                // A Visual Basic string: quotes doubled, one line.
                for (char c : text) {
                    if (c == '"') line += '"';
                    line += c == '\r' || c == '\n' ? ' ' : c;
                }
                i += 7;
            } else if (tmpl[i] == '\n') {
                end(line);
            } else {
                line += tmpl[i];
            }
        }
        end(line);
    }
    void blank() { m_out.append(m_frame.blank).append(kCrLf); }
    void raw(std::string_view line) {
        if (!line.empty()) m_out.append(line).append(kCrLf);
    }
    std::string take() { return std::move(m_out); }

private:
    void end(std::string& line) {
        // A "*/" in the text would close a block comment early and leave the rest as code.
        if (!m_frame.last.empty() && line.find("*/") != std::string::npos) {
            std::string safe;
            for (char c : line) {
                if (c == '/' && !safe.empty() && safe.back() == '*') safe += ' ';
                safe += c;
            }
            line = std::move(safe);
        }
        const std::size_t kept = line.find_last_not_of(" \t");
        if (kept == std::string::npos) {
            blank();
        } else {
            m_out.append(m_frame.prefix).append(line, 0, kept + 1).append(kCrLf);
        }
        line.clear();
    }

    const CommentFrame& m_frame;
    char m_tag;
    std::string m_out;
};

}  // namespace

std::span<const CommentStyle> CommentStyles() { return kStyles; }

const CommentStyle* FindCommentStyle(std::string_view name) {
    for (const CommentStyle& s : kStyles)
        if (s.name == name) return &s;
    return nullptr;
}

const CommentFrame* FindCommentFrame(std::string_view opener) {
    for (const CommentFrame& f : kFrames)
        if (f.opener == opener) return &f;
    return nullptr;
}

bool StyleServes(const CommentStyle& style, DevelopmentLanguage language) {
    return style.syntax == TagSyntax::Box || !Openers(style, language).empty();
}

bool StyleTakesOpener(const CommentStyle& style, DevelopmentLanguage language, std::string_view opener) {
    if (opener.empty()) return true;
    return AnyWord(Openers(style, language), [&](std::string_view o) { return o == opener; });
}

std::string TrimLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(kCrLf, at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        out.append(line).append(text.substr(end, std::min<std::size_t>(2, text.size() - end)));
        at = end + 2;
    }
    return out;
}

std::string BuildStyledComment(const StyledDescription& d, const CommentStyle& style,
                               DevelopmentLanguage language, const StyleOptions& options,
                               std::string_view developerName, const DateTime& date) {
    if (style.syntax == TagSyntax::Box) {
        const std::string block = BuildCommentBlock(d.procedure, language, developerName, date);
        return options.trim ? TrimLineEnds(block) : block;
    }
    if (!StyleServes(style, language)) return {};
    const std::string_view opener =
        StyleTakesOpener(style, language, options.opener) && !options.opener.empty()
            ? std::string_view(options.opener)
            : FirstWord(Openers(style, language));
    const CommentFrame& frame = *FindCommentFrame(opener);
    CommentWriter w(frame, options.tag == '\\' ? '\\' : '@');
    w.raw(frame.first);
    const ProcedureDescription& p = d.procedure;
    const bool tagged = options.brief || style.plainPurpose.empty();
    const bool written = tagged || !p.purpose.empty();
    if (written) w.add(tagged ? style.purpose : style.plainPurpose, {}, p.purpose);
    const bool returns = d.returnsValue || !p.returns.empty();
    const bool history = options.history && !style.author.empty();
    const bool more = !d.templateParameters.empty() || !p.parameters.empty() || returns || history;
    if (written && more && style.blankAfterPurpose) w.blank();
    for (const ParameterEntry& t : d.templateParameters) w.add(style.typeParam, t.Name, t.Description);
    // An unnamed C++ parameter cannot be documented.
    for (const ParameterEntry& a : p.parameters)
        if (!a.Name.empty()) w.add(style.param, a.Name, a.Description);
    if (returns) w.add(style.returns, {}, p.returns);
    if (history) {
        w.add(style.author, {}, developerName);
        w.add(style.date, {}, Digits(date.year, 4) + "-" + Digits(date.month, 2) + "-" + Digits(date.day, 2));
    }
    w.raw(frame.last);
    return w.take();
}

}  // namespace qm
