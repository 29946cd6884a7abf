// SPDX-License-Identifier: MIT
#include "reader/StyledQuickCheck.h"

#include <algorithm>
#include <array>

#include "platform/Text.h"
#include "reader/CppSyntax.h"

namespace qm {
namespace {

enum class Returns { Value, Nothing, Unknown };

// Up to this many parameters are compared here; longer lists go the full way.
constexpr std::size_t kMaxNames = 16;

struct Names {
    std::array<std::string_view, kMaxNames> list{};
    std::size_t count = 0;
    bool add(std::string_view name) {
        if (count == kMaxNames) return false;
        list[count++] = name;
        return true;
    }
};

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Plain loops: find_first_not_of calls memchr once for every character.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool HasAny(std::string_view s, std::string_view set) {
    for (char c : s)
        for (char t : set)
            if (c == t) return true;
    return false;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// The word s starts with.
std::string_view LeadingWord(std::string_view s) {
    std::size_t end = 0;
    while (end < s.size() && IsWordChar(s[end])) ++end;
    return s.substr(0, end);
}

// The word s ends with.
std::string_view TrailingWord(std::string_view s) {
    std::size_t begin = s.size();
    while (begin > 0 && IsWordChar(s[begin - 1])) --begin;
    return s.substr(begin);
}

bool HasWord(std::string_view list, std::string_view word) {
    return AnyWord(list, [&](std::string_view w) { return EqualsNoCase(w, word); });
}

// The parameter names, template-parameter tags and return tag of a comment, from the tags
// that open its lines; false for anything else that could hold one.
bool ScanComment(std::string_view comment, const CommentStyle& style, Names& names, bool& typeParams,
                 bool& returns) {
    const bool elements = style.syntax == TagSyntax::Elements;
    for (std::size_t at = 0; at < comment.size();) {
        const std::size_t nl = std::min(comment.find('\n', at), comment.size());
        std::string_view line = Trim(comment.substr(at, nl - at));
        at = nl + 1;
        if (line.ends_with("*/")) line = Trim(line.substr(0, line.size() - 2));
        // The comment marks, as the full reading takes them off.
        for (std::string_view mark : {"/**", "/*!", "///", "//!", "\'\'\'", "'", "*"})
            if (line.starts_with(mark) && !line.starts_with("*/")) {
                line = Trim(line.substr(mark.size()));
                break;
            }
        // A tag inside a line, or a code block, is read the full way.
        const char open = elements ? '<' : '@';
        for (std::size_t p = 0; p < line.size(); ++p) {
            const char c = line[p];
            if (elements ? c != '<' : (c != '@' && c != '\\' && c != '`' && c != '~')) continue;
            if (p == 0 && c != '`' && c != '~') continue;
            const std::string_view word = LeadingWord(line.substr(p + 1));
            if (line.substr(p).starts_with("```") || line.substr(p).starts_with("~~~") || word == "code" ||
                word == "verbatim" || HasWord(style.paramTags, word) || HasWord(style.typeParamTags, word) ||
                HasWord(style.returnTags, word))
                return false;
        }
        const bool backslash = style.param.find("{tag}") != std::string_view::npos;
        if (line.empty() || (line[0] != open && !(line[0] == '\\' && backslash))) continue;
        const std::string_view word = LeadingWord(line.substr(1));
        std::string_view rest = line.substr(1 + word.size());
        if (word == "code" || word == "verbatim") return false;
        if (HasWord(style.typeParamTags, word)) typeParams = true;
        if (HasWord(style.returnTags, word)) {
            const std::string_view said = Trim(rest);
            returns = returns || !(EqualsNoCase(said, "{void}") || EqualsNoCase(said, "{Nothing}") ||
                                   EqualsNoCase(said, "{None}"));
        }
        if (!HasWord(style.paramTags, word)) continue;
        if (elements) {
            const std::size_t name = rest.find("name=\"");
            if (name == std::string_view::npos) return false;
            rest = rest.substr(name + 6);
            if (!names.add(rest.substr(0, rest.find('"')))) return false;
            continue;
        }
        if (rest.starts_with('[')) rest = rest.substr(std::min(rest.size(), rest.find(']') + 1));
        rest = Trim(rest);
        if (rest.starts_with('{') && !backslash)
            rest = Trim(rest.substr(std::min(rest.size(), rest.find('}') + 1)));
        for (;;) {
            const std::string_view name = LeadingWord(rest);
            if (name.empty() || !names.add(name) || rest.substr(name.size()).starts_with('.')) return false;
            rest = Trim(rest.substr(name.size()));
            if (!rest.starts_with(',')) break;
            rest = Trim(rest.substr(1));
        }
    }
    return true;
}

// A C++ head "int f(int a, const std::map<K, V>& m = {})": its parameters' names and whether it
// returns a value.
bool ScanCpp(std::string_view text, Names& names, Returns& returns) {
    text = Trim(text);
    const std::size_t open = text.find('(');
    if (text.starts_with("template") || open == std::string_view::npos) return false;
    std::string_view head = Trim(text.substr(0, open));
    if (HasAny(head, "#=\"'{}[]()") || head.find("operator") != std::string_view::npos ||
        head.find("__") != std::string_view::npos)
        return false;
    const std::string_view name = TrailingWord(head);
    if (name.empty() || IsReservedWord(name)) return false;
    head = Trim(head.substr(0, head.size() - name.size()));
    const bool destructor = head.ends_with('~');
    const std::size_t close = text.find(')', open);
    if (close == std::string_view::npos) return false;
    const std::string_view params = text.substr(open + 1, close - open - 1);
    if (HasAny(params, "({\"'") || params.find("...") != std::string_view::npos) return false;
    // After the list only qualifiers, a pure or defaulted marker, and the body or ';'.
    std::string_view rest = Trim(text.substr(close + 1));
    if (rest.ends_with('{') || rest.ends_with(';')) rest = Trim(rest.substr(0, rest.size() - 1));
    while (!rest.empty()) {
        const std::string_view word = LeadingWord(rest);
        if (word == "const" || word == "noexcept" || word == "override" || word == "final" || word == "0" ||
            word == "default" || word == "delete") {
            rest = Trim(rest.substr(word.size()));
        } else if (word.empty() && (rest[0] == '=' || rest[0] == '&')) {
            rest = Trim(rest.substr(1));
        } else {
            return false;
        }
    }
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= params.size(); ++i) {
        const char c = i < params.size() ? params[i] : ',';
        if (c == '<') ++depth;
        if (c == '>') --depth;
        if (c != ',' || depth > 0) continue;
        std::string_view p = params.substr(from, i - from);
        from = i + 1;
        int d = 0;
        for (std::size_t k = 0; k < p.size(); ++k) {
            d += p[k] == '<' ? 1 : p[k] == '>' ? -1 : 0;
            if (p[k] == '=' && d == 0) p = p.substr(0, k);
        }
        p = Trim(p);
        while (p.ends_with(']')) {
            const std::size_t open = p.rfind('[');
            if (open == std::string_view::npos) return false;
            p = Trim(p.substr(0, open));
        }
        const std::string_view word = TrailingWord(p);
        if (p.empty() && Trim(params).empty()) break;
        if (word.empty()) return false;
        // "int", "std::size_t" or "T" alone names no parameter, as the full reading sees it.
        const std::string_view before = Trim(p.substr(0, p.size() - word.size()));
        if (before.empty() || before.ends_with("::") || IsReservedWord(word)) continue;
        if (!names.add(word)) return false;
    }
    if (depth != 0) return false;
    // What the head says the procedure returns: nothing for a constructor or destructor (no
    // type, or "Name::" qualifiers only) or void; a macro may stand for the type.
    while (head.ends_with("::"))
        head = Trim(head.substr(0, head.size() - 2 - TrailingWord(head.substr(0, head.size() - 2)).size()));
    std::size_t types = 0;
    bool isVoid = false;
    for (std::size_t at = 0; at < head.size();) {
        const std::string_view word = LeadingWord(head.substr(at));
        if (word.empty()) {
            if (head[at] != ' ' && head[at] != '\t' && head[at] != '\r' && head[at] != '\n' &&
                head[at] != '~')
                ++types;
            ++at;
            continue;
        }
        at += word.size();
        if (IsCapsWord(word)) return false;
        if (word == "virtual" || word == "static" || word == "inline" || word == "constexpr" ||
            word == "explicit" || word == "extern" || word == "consteval" || word == "friend")
            continue;
        isVoid = word == "void" && types == 0;
        ++types;
    }
    returns = destructor || types == 0 || (isVoid && types == 1) ? Returns::Nothing : Returns::Value;
    return true;
}

// A Visual Basic procedure head, continuation lines and all.
bool ScanVb(std::string_view text, Names& names, Returns& returns) {
    text = Trim(text);
    std::string_view rest = text;
    std::string_view kind;
    while (!rest.empty()) {
        const std::string_view word = LeadingWord(rest);
        rest = Trim(rest.substr(word.size()));
        if (EqualsNoCase(word, "Sub") || EqualsNoCase(word, "Function") || EqualsNoCase(word, "Property")) {
            kind = word;
            break;
        }
        if (!EqualsNoCase(word, "Public") && !EqualsNoCase(word, "Private") &&
            !EqualsNoCase(word, "Friend") && !EqualsNoCase(word, "Static"))
            return false;
    }
    std::string_view accessor;
    if (EqualsNoCase(kind, "Property")) {
        accessor = LeadingWord(rest);
        rest = Trim(rest.substr(accessor.size()));
    }
    const std::size_t open = rest.find('(');
    if (kind.empty() || open == std::string_view::npos) return false;
    std::size_t close = open + 1;
    int depth = 1;
    for (; close < rest.size() && depth > 0; ++close)
        depth += rest[close] == '(' ? 1 : rest[close] == ')' ? -1 : 0;
    if (depth != 0) return false;
    const std::string_view params = rest.substr(open + 1, close - open - 2);
    const bool typed = EqualsNoCase(LeadingWord(Trim(rest.substr(close))), "As");
    returns = EqualsNoCase(kind, "Function") || (EqualsNoCase(accessor, "Get") && typed) ? Returns::Value
              : EqualsNoCase(accessor, "Get")                                            ? Returns::Unknown
                                                                                         : Returns::Nothing;
    for (std::size_t from = 0; from <= params.size();) {
        const std::size_t comma = std::min(params.find(',', from), params.size());
        std::string_view p = Trim(params.substr(from, comma - from));
        from = comma + 1;
        if (p.starts_with('_') && p.size() > 1 && (p[1] == ' ' || p[1] == '\r' || p[1] == '\n'))
            p = Trim(p.substr(1));  // a line continuation
        if (p.empty() && comma == params.size() && names.count == 0) break;
        std::string_view word = LeadingWord(p);
        while (EqualsNoCase(word, "Optional") || EqualsNoCase(word, "ByVal") || EqualsNoCase(word, "ByRef") ||
               EqualsNoCase(word, "ParamArray")) {
            p = Trim(p.substr(word.size()));
            word = LeadingWord(p);
        }
        if (word.empty() || !names.add(word)) return false;
    }
    return returns != Returns::Unknown;
}

}  // namespace

bool PlainlyInStep(std::string_view comment, std::string_view declaration, const CommentStyle& style,
                   DevelopmentLanguage language, bool undocumented) {
    Names documented, declared;
    bool typeParams = false, returnTag = false;
    Returns returns = Returns::Unknown;
    if (!ScanComment(comment, style, documented, typeParams, returnTag) || typeParams) return false;
    const bool vb = language == kVisualBasic;
    if (!(vb ? ScanVb(declaration, declared, returns) : ScanCpp(declaration, declared, returns)))
        return false;
    if (returnTag ? returns != Returns::Value : undocumented && returns != Returns::Nothing) return false;
    if (documented.count == 0 && !undocumented) return true;
    if (documented.count != declared.count) return false;
    for (std::size_t i = 0; i < declared.count; ++i)
        if (vb ? !EqualsNoCase(documented.list[i], declared.list[i]) : documented.list[i] != declared.list[i])
            return false;
    return true;
}

}  // namespace qm
