// SPDX-License-Identifier: MIT
#include "reader/StyledCommentReader.h"

#include <algorithm>
#include <unordered_map>

#include "platform/Text.h"
#include "reader/CppSyntax.h"
#include "reader/DeclarationLexer.h"

namespace qm {
namespace {

using Kind = CommentTag::Kind;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool InList(std::string_view list, std::string_view word) {
    return list == "*" || AnyWord(list, [&](std::string_view w) { return EqualsNoCase(w, word); });
}

// The longest opener of style that line starts with, as StyledCommentOpener says.
std::string_view OpenerOf(std::string_view line, const CommentStyle& style) {
    std::string_view opener;
    for (std::string_view list : {style.cppOpeners, style.vbOpeners})
        AnyWord(list, [&](std::string_view o) {
            if (line.starts_with(o) && o.size() > opener.size()) opener = o;
            return false;
        });
    if (line.size() > opener.size() && !opener.empty() && line[opener.size()] == opener.back()) return {};
    return opener;
}

// One line of the comment and its body behind the comment marks, blanks at its end dropped.
struct BodyLine {
    std::size_t bodyBegin, bodyEnd;
    bool framed = false;  // holds the opener of a block comment or its closer
};

// Code blocks, inside which nothing is a tag: the opening word and what closes it.
constexpr std::pair<std::string_view, std::string_view> kFences[] = {
    {"```", "```"},
    {"~~~", "~~~"},
    {"@code", "@endcode"},
    {"\\code", "\\endcode"},
    {"@verbatim", "@endverbatim"},
    {"\\verbatim", "\\endverbatim"},
    {"@f[", "@f]"},
    {"\\f[", "\\f]"},
};

class CommentReader {
public:
    CommentReader(std::string_view text, const CommentStyle& style, bool texts)
        : m_text(text),
          m_style(style),
          m_backslash(style.param.find("{tag}") != std::string_view::npos),
          m_texts(texts) {}

    StyledCommentResult read() {
        if (!splitLines()) return std::move(m_result);
        if (m_style.syntax == TagSyntax::Elements) {
            readElements();
            if (!m_result.error.empty()) return std::move(m_result);
        } else {
            for (std::size_t li = 0; li < m_lines.size(); ++li) readCommandLine(li);
            // Doxygen takes the rest of the comment for code; no tag could be added after it.
            if (!m_fence.empty()) {
                fail("a code block is not closed");
                return std::move(m_result);
            }
        }
        markWholeLines();
        return std::move(m_result);
    }

private:
    std::string_view body(std::size_t li) const {
        return m_text.substr(m_lines[li].bodyBegin, m_lines[li].bodyEnd - m_lines[li].bodyBegin);
    }

    // Finds the frame from the first line and each line's body; false when the text is not
    // framed as the style frames its comments.
    bool splitLines() {
        const std::string_view opener = OpenerOf(TrimBlanks(m_text.substr(0, m_text.find('\n'))), m_style);
        if (opener.empty()) return fail("not " + std::string(m_style.name) + " documentation");
        m_result.opener = std::string(opener);
        const bool block = opener.starts_with("/*");
        bool closed = false;
        for (std::size_t at = 0; at < m_text.size() && !closed;) {
            const std::size_t nl = m_text.find('\n', at);
            const std::size_t next = nl == std::string_view::npos ? m_text.size() : nl + 1;
            std::size_t end = nl == std::string_view::npos ? m_text.size() : nl;
            if (end > at && m_text[end - 1] == '\r') --end;
            BodyLine l{at, end};
            while (l.bodyBegin < end && IsBlank(m_text[l.bodyBegin])) ++l.bodyBegin;
            if (block) {
                if (m_lines.empty()) {
                    l.bodyBegin += opener.size();
                    l.framed = true;
                } else if (m_text.compare(l.bodyBegin, 1, "*") == 0 &&
                           m_text.compare(l.bodyBegin, 2, "*/") != 0) {
                    ++l.bodyBegin;
                }
                const std::size_t close = m_text.substr(0, end).find("*/", l.bodyBegin);
                if (close != std::string_view::npos) {
                    l.bodyEnd = close;
                    l.framed = closed = true;
                }
            } else if (m_text.compare(l.bodyBegin, opener.size(), opener) == 0) {
                l.bodyBegin += opener.size();
            } else {
                return fail("line " + std::to_string(m_lines.size() + 1) + " is not part of the comment");
            }
            while (l.bodyEnd > l.bodyBegin && IsBlank(m_text[l.bodyEnd - 1])) --l.bodyEnd;
            while (l.bodyBegin < l.bodyEnd && IsBlank(m_text[l.bodyBegin])) ++l.bodyBegin;
            l.bodyBegin = std::min(l.bodyBegin, l.bodyEnd);
            m_lines.push_back(l);
            at = next;
        }
        if (block && !closed) return fail("the comment is not closed");
        return true;
    }

    bool fail(std::string why) {
        m_result.error = std::move(why);
        return false;
    }

    Kind kindOf(std::string_view word) const {
        if (InList(m_style.purposeTags, word)) return Kind::Purpose;
        if (InList(m_style.paramTags, word)) return Kind::Param;
        if (InList(m_style.typeParamTags, word)) return Kind::TypeParam;
        if (InList(m_style.returnTags, word)) return Kind::Return;
        return Kind::Other;
    }

    // The length of a tag's word with its command character at line[i]; 0 for none.
    std::size_t tagAt(std::string_view line, std::size_t i) const {
        if (i >= line.size() || (line[i] != '@' && !(line[i] == '\\' && m_backslash))) return 0;
        if (i > 0 && !(m_style.midLineTags && IsBlank(line[i - 1]))) return 0;
        std::size_t end = i + 1;
        while (end < line.size() && IsWordChar(line[end])) ++end;
        const std::string_view word = line.substr(i + 1, end - i - 1);
        if (word.empty() || (kindOf(word) == Kind::Other && !InList(m_style.sectionTags, word))) return 0;
        return end - i - 1;
    }

    void open(Kind kind, std::size_t li, std::size_t begin) {
        CommentTag t;
        t.kind = kind;
        t.firstLine = t.lastLine = li;
        t.begin = t.end = begin;
        m_result.tags.push_back(std::move(t));
        m_current = m_result.tags.size() - 1;
        m_textLine = kNone;
    }

    // Adds the text [from, to) of line li to the open tag, or to a new paragraph of prose.
    void addText(std::size_t li, std::size_t from, std::size_t to) {
        const std::string_view piece = TrimBlanks(m_text.substr(from, to - from));
        if (m_current == kNone) {
            if (piece.empty()) return;
            open(Kind::Prose, li, static_cast<std::size_t>(piece.data() - m_text.data()));
        }
        CommentTag& t = m_result.tags[m_current];
        t.lastLine = li;
        if (piece.empty()) return;
        if (!m_texts) {
            if (t.text.empty()) t.text.assign(1, piece[0]);
        } else {
            if (m_textLine != kNone && m_textLine != li) t.text += '\n';
            t.text += piece;
        }
        m_textLine = li;
        t.end = std::max(t.end, static_cast<std::size_t>(piece.data() + piece.size() - m_text.data()));
    }

    // Doxygen and VBA tags: a tag at the start of a line (for Doxygen also after a blank)
    // opens a paragraph that runs to the next tag or to a blank line.
    void readCommandLine(std::size_t li) {
        const std::string_view line = body(li);
        const std::size_t base = m_lines[li].bodyBegin;
        if (!m_fence.empty()) {
            if (line.find(m_fence) != std::string_view::npos) m_fence = {};
            addText(li, base, base + line.size());
            return;
        }
        if (line.empty()) {
            m_current = kNone;
            return;
        }
        for (const auto& [start, end] : kFences) {
            // "@code{.cpp}" opens a block; "@codes" is another word.
            const bool word = start[0] == '`' || start[0] == '~' || line.size() == start.size() ||
                              !IsWordChar(line[start.size()]);
            if (word && line.starts_with(start) && line.find(end, start.size()) == std::string_view::npos)
                m_fence = end;
        }
        std::size_t from = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const std::size_t word = tagAt(line, i);
            if (word == 0) continue;
            if (i > from) addText(li, base + from, base + i);
            open(kindOf(line.substr(i + 1, word)), li, base + i);
            m_result.tags[m_current].spelling = std::string(line.substr(i, word + 1));
            from = readHead(line, base, i + 1 + word);
            i = from == 0 ? 0 : from - 1;
        }
        if (from < line.size()) addText(li, base + from, base + line.size());
    }

    // Reads what follows a tag's word on its line: a direction, a {Type}, the names, an
    // annotation's string. Returns the line offset where its text starts.
    std::size_t readHead(std::string_view line, std::size_t base, std::size_t i) {
        CommentTag& t = m_result.tags[m_current];
        t.end = base + i;
        const auto skipBlanks = [&] {
            while (i < line.size() && IsBlank(line[i])) ++i;
        };
        if (t.kind == Kind::Param && i < line.size() && line[i] == '[') {
            const std::size_t close = line.find(']', i);
            if (close != std::string_view::npos) {
                t.direction = std::string(line.substr(i, close + 1 - i));
                t.end = base + (i = close + 1);
            }
        }
        skipBlanks();
        if (line.substr(i).starts_with("(\"")) {
            // An annotation's string argument, quotes doubled inside; its text is the tag's.
            std::size_t j = i + 2;
            for (; j < line.size() && !(line[j] == '"' && (j + 1 == line.size() || line[j + 1] != '"'));
                 ++j) {
                t.text += line[j];
                if (line[j] == '"') ++j;
            }
            j = std::min(line.size(), j + 2);
            t.end = base + j;
            m_current = kNone;
            return j;
        }
        if (t.kind != Kind::Param && t.kind != Kind::TypeParam && t.kind != Kind::Return) return i;
        if (!m_backslash && i < line.size() && line[i] == '{') {
            const std::size_t close = line.find('}', i);
            if (close != std::string_view::npos) {
                t.type = std::string(line.substr(i, close + 1 - i));
                t.end = base + (i = close + 1);
                skipBlanks();
            }
        }
        // A name stands apart from the tag: "@param.x" documents nothing.
        const bool apart = i > 0 && (IsBlank(line[i - 1]) || line[i - 1] == ']' || line[i - 1] == '}');
        while (apart && t.kind != Kind::Return) {
            const std::size_t begin = i;
            while (i < line.size() && (IsWordChar(line[i]) || line[i] == '.')) ++i;
            if (i == begin) break;
            t.names.push_back({std::string(line.substr(begin, i - begin)), base + begin, base + i});
            t.end = base + i;
            std::size_t comma = i;
            while (comma < line.size() && IsBlank(line[comma])) ++comma;
            if (comma >= line.size() || line[comma] != ',') break;
            i = comma + 1;
            skipBlanks();
        }
        return i;
    }

    // XML documentation: top-level elements from <name ...> to </name> or "/>"; text between
    // them is prose.
    void readElements() {
        std::string flat;  // the bodies, each followed by '\n'
        std::vector<std::size_t> starts;
        for (std::size_t li = 0; li < m_lines.size(); ++li) {
            starts.push_back(flat.size());
            flat.append(body(li)).push_back('\n');
        }
        const auto lineOf = [&](std::size_t f) {
            return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), f) -
                                            starts.begin()) -
                   1;
        };
        const auto original = [&](std::size_t f) {
            return m_lines[lineOf(f)].bodyBegin + (f - starts[lineOf(f)]);
        };
        const auto prose = [&](std::size_t from, std::size_t to) {
            m_current = kNone;
            for (std::size_t p = from; p < to;) {
                const std::size_t nl = std::min(flat.find('\n', p), to);
                addText(lineOf(p), original(p), original(p) + (nl - p));
                p = nl + 1;
            }
            m_current = kNone;
        };
        std::size_t at = 0, search = 0;  // where the text not yet read starts, where to look for '<'
        for (std::size_t lt; (lt = flat.find('<', search)) != std::string::npos;) {
            std::size_t nameEnd = lt + 1;
            while (nameEnd < flat.size() && IsWordChar(flat[nameEnd])) ++nameEnd;
            const std::string name = flat.substr(lt + 1, nameEnd - lt - 1);
            const std::size_t gt = flat.find('>', nameEnd);
            // A '<' that opens no element is text.
            if (name.empty() || gt == std::string::npos) {
                search = lt + 1;
                continue;
            }
            prose(at, lt);
            open(kindOf(name), lineOf(lt), original(lt));
            CommentTag& t = m_result.tags[m_current];
            t.spelling = "<" + name;
            const std::size_t attribute = flat.find("name=", nameEnd);
            if ((t.kind == Kind::Param || t.kind == Kind::TypeParam) && attribute < gt &&
                (flat[attribute + 5] == '"' || flat[attribute + 5] == '\'')) {
                const std::size_t quote = attribute + 5, close = flat.find(flat[quote], quote + 1);
                if (close < gt)
                    t.names.push_back(
                        {flat.substr(quote + 1, close - quote - 1), original(quote + 1), original(close)});
            }
            at = gt + 1;
            if (flat[gt - 1] != '/') {
                const std::size_t closing = flat.find("</" + name + ">", gt);
                // An element left open would take in the next one, and a tag put after it too.
                std::size_t again = flat.find("<" + name, gt);
                while (again != std::string::npos && again + name.size() + 1 < flat.size() &&
                       IsWordChar(flat[again + name.size() + 1]))
                    again = flat.find("<" + name, again + 1);
                if (closing == std::string::npos || again < closing) {
                    fail("<" + name + "> is not closed");
                    return;
                }
                const std::size_t inner = closing;
                for (std::size_t p = gt + 1; p < inner;) {
                    const std::size_t nl = std::min(flat.find('\n', p), inner);
                    addText(lineOf(p), original(p), original(p) + (nl - p));
                    p = nl + 1;
                }
                const std::size_t close =
                    closing == std::string::npos ? std::string::npos : flat.find('>', closing);
                at = close == std::string::npos ? flat.size() : close + 1;
            }
            t.lastLine = lineOf(at - 1);
            t.end = original(at - 1) + 1;
            m_current = kNone;
            search = at;
        }
        prose(at, flat.size());
    }

    // A tag alone on its lines can be taken out, or have lines put after it, line by line.
    void markWholeLines() {
        std::vector<std::size_t> tagsOnLine(m_lines.size());
        for (const CommentTag& t : m_result.tags)
            for (std::size_t li = t.firstLine; li <= t.lastLine; ++li) ++tagsOnLine[li];
        for (CommentTag& t : m_result.tags) {
            bool whole = t.begin == m_lines[t.firstLine].bodyBegin && t.end == m_lines[t.lastLine].bodyEnd;
            for (std::size_t li = t.firstLine; li <= t.lastLine; ++li)
                whole = whole && !m_lines[li].framed && tagsOnLine[li] == 1;
            t.wholeLines = whole;
        }
    }

    std::string_view m_text;
    const CommentStyle& m_style;
    bool m_backslash;  // Doxygen's commands start with '\' as well as '@'
    bool m_texts;      // false: a tag's text is cut to its first character
    std::vector<BodyLine> m_lines;
    std::size_t m_current = kNone;
    std::size_t m_textLine = kNone;  // the line of the open tag's latest text
    std::string_view m_fence;
    StyledCommentResult m_result;
};

}  // namespace

bool DocumentsReturn(const CommentTag& t) {
    if (t.kind != CommentTag::Kind::Return) return false;
    for (std::string_view none : {"{void}", "{Nothing}", "{None}"})
        if (EqualsNoCase(t.type, none) && t.text.empty()) return false;
    return true;
}

StyledCommentResult ReadStyledTags(std::string_view text, const CommentStyle& style) {
    if (style.syntax == TagSyntax::Box) return {std::nullopt, {}, {}, "the box is read by ReadCommentBlock"};
    return CommentReader(text, style, false).read();
}

StyledCommentResult ReadStyledComment(std::string_view text, const CommentStyle& style,
                                      const ProcedureDescription* declaration, bool vb) {
    if (style.syntax == TagSyntax::Box) return {std::nullopt, {}, {}, "the box is read by ReadCommentBlock"};
    StyledCommentResult result = CommentReader(text, style, true).read();
    if (!result.error.empty()) return result;
    StyledDescription d;
    ProcedureDescription& p = d.procedure;
    const CommentTag* purpose = nullptr;
    const CommentTag* returns = nullptr;
    // Each documented name's description, the first where a name is documented twice.
    const auto key = [vb](char kind, const std::string& name) {
        std::string k(1, kind);
        return k.append(vb ? AsciiLower(name) : name);
    };
    std::unordered_map<std::string, std::string> described;
    for (const CommentTag& t : result.tags) {
        if (t.kind == Kind::Purpose && (!purpose || purpose->kind == Kind::Prose)) purpose = &t;
        // Without a purpose tag, a first paragraph of prose is the purpose.
        if (t.kind == Kind::Prose && &t == &result.tags.front() && !style.plainPurpose.empty()) purpose = &t;
        if (!returns && DocumentsReturn(t)) returns = &t;
        if (t.kind != Kind::Param && t.kind != Kind::TypeParam) continue;
        auto& list = t.kind == Kind::Param ? p.parameters : d.templateParameters;
        for (const TagName& n : t.names)
            if (described.emplace(key(t.kind == Kind::Param ? 'p' : 't', n.name), t.text).second)
                list.push_back({n.name, "No", {}, t.text});
    }
    if (purpose) p.purpose = purpose->text;
    if (returns) p.returns = returns->text;
    d.returnsValue = returns != nullptr;
    p.kind = returns ? ProcedureKind::Function : ProcedureKind::Sub;
    if (declaration) {
        const std::string purposeText = std::move(p.purpose), returnsText = std::move(p.returns);
        p = *declaration;
        p.purpose = purposeText;
        if (returns) p.returns = returnsText;
        for (ParameterEntry& e : p.parameters) {
            const auto found = described.find(key('p', e.Name));
            e.Description = found == described.end() ? std::string() : found->second;
        }
    }
    result.description = std::move(d);
    return result;
}

std::string_view StyledCommentOpener(std::string_view line, const CommentStyle& style) {
    return OpenerOf(TrimBlanks(line), style);
}

std::string_view LeadingStyledComment(std::string_view text, const CommentStyle& style) {
    constexpr std::size_t npos = std::string_view::npos;
    std::size_t begin = npos, at = 0;
    std::string_view opener;
    while (at < text.size()) {
        const std::size_t nl = text.find('\n', at);
        const std::size_t next = nl == npos ? text.size() : nl + 1;
        std::string_view line = text.substr(at, next - at);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        line = TrimBlanks(line);
        if (begin == npos && line.empty()) {
            at = next;
            continue;
        }
        if (begin != npos && OpenerOf(line, style) != opener) break;
        if (begin == npos) {
            opener = OpenerOf(line, style);
            if (opener.empty()) return {};
            begin = at;
            if (opener.starts_with("/*")) {
                const std::size_t close =
                    text.find("*/", static_cast<std::size_t>(line.data() - text.data()) + opener.size());
                if (close == npos) return {};
                const std::size_t end = text.find('\n', close);
                return text.substr(begin, (end == npos ? text.size() : end + 1) - begin);
            }
        }
        at = next;
    }
    return begin == npos ? std::string_view() : text.substr(begin, at - begin);
}

std::vector<std::string> TemplateParameterNames(std::string_view declaration) {
    const TokenList lexed = LexCpp(declaration);
    const std::vector<Token>& t = lexed.tokens;
    std::vector<std::string> names;
    // The last template head before the declaration proper names the procedure's own.
    for (std::size_t i = 0; i + 1 < t.size() && t[i].text == "template" && t[i + 1].text == "<";) {
        const std::size_t close = t[i + 1].match;
        if (close == kNoMatch) break;
        names.clear();
        std::size_t last = kNoMatch, start = i + 2;
        bool defaulted = false;
        for (std::size_t j = i + 2; j <= close; ++j) {
            if (j == close || t[j].text == ",") {
                // A name follows what it is ("class T", "int N"); "std::size_t" alone has none.
                if (last != kNoMatch && last > start && t[last - 1].text != "::" &&
                    !IsReservedWord(t[last].text))
                    names.emplace_back(t[last].text);
                last = kNoMatch;
                start = j + 1;
                defaulted = false;
            } else if (t[j].text == "=") {
                defaulted = true;
            } else if ((t[j].text == "<" || t[j].text == "(" || t[j].text == "[") && t[j].match != kNoMatch) {
                j = t[j].match;
            } else if (!defaulted && t[j].kind == TokenKind::Word) {
                last = j;
            }
        }
        i = close + 1;
    }
    return names;
}

StyledDescription DescribeForComment(ProcedureDescription declared, std::string_view declaration,
                                     DevelopmentLanguage language) {
    StyledDescription d{std::move(declared), {}, false};
    d.returnsValue = !d.procedure.returns.empty();
    d.procedure.returns.clear();
    if (language == kVisualCpp)
        for (std::string& name : TemplateParameterNames(declaration))
            d.templateParameters.push_back({name, "No", {}, {}});
    return d;
}

}  // namespace qm
