// SPDX-License-Identifier: MIT
#include "reader/CppSyntax.h"

#include <algorithm>
#include <array>

namespace qm {
namespace {

template <std::size_t N>
bool OneOf(std::string_view w, const std::array<std::string_view, N>& list) {
    return std::any_of(list.begin(), list.end(), [w](std::string_view item) { return SameText(item, w); });
}

constexpr std::array<std::string_view, 19> kSpecifiers{
    "static",        "inline",    "virtual",       "explicit",     "constexpr",    "consteval", "constinit",
    "extern",        "friend",    "mutable",       "thread_local", "register",     "__inline",  "__inline__",
    "__forceinline", "_Noreturn", "_Thread_local", "export",       "__extension__"};
constexpr std::array<std::string_view, 6> kCv{"const",      "volatile",     "restrict",
                                              "__restrict", "__restrict__", "__volatile__"};
constexpr std::array<std::string_view, 19> kBuiltins{
    "void", "char",   "wchar_t",  "char8_t", "char16_t", "char32_t", "bool",    "_Bool",    "short",   "int",
    "long", "signed", "unsigned", "float",   "double",   "auto",     "__int64", "__int128", "_Complex"};
constexpr std::array<std::string_view, 16> kCallingConventions{
    "__cdecl", "__stdcall", "__fastcall",     "__thiscall", "__vectorcall", "__pascal",
    "WINAPI",  "WINAPIV",   "APIENTRY",       "CALLBACK",   "PASCAL",       "STDMETHODCALLTYPE",
    "NTAPI",   "CDECL",     "STDAPICALLTYPE", "__clrcall"};
constexpr std::array<std::string_view, 6> kAttributeWords{"alignas",     "_Alignas",   "__attribute__",
                                                          "__attribute", "__declspec", "__asm__"};
constexpr std::array<std::string_view, 14> kTypeWords{
    "struct",     "class",    "union",    "enum",   "typename", "decltype", "typeof",
    "__typeof__", "operator", "template", "sizeof", "this",     "nullptr",  "requires"};

// No space before these, whatever comes first.
constexpr std::array<std::string_view, 12> kTight{"*", "&",   "&&", ",", ")",  "]",
                                                  ">", "...", "(",  "[", "::", "<"};

}  // namespace

bool IsCapsWord(std::string_view w) {
    bool letter = false;
    for (char c : w) {
        if (c >= 'A' && c <= 'Z') {
            letter = true;
        } else if (!(c >= '0' && c <= '9') && c != '_') {
            return false;
        }
    }
    return letter && w.size() > 1;
}

bool IsSpecifierMacro(std::string_view w) {
    // What such macros expand to, named in their last words: FMT_CONSTEXPR20, SPDLOG_INLINE,
    // Q_INVOKABLE, FMT_ALWAYS_INLINE, QM_API. No type is named so.
    static constexpr std::array<std::string_view, 14> kWords{
        "INLINE", "CONSTEXPR", "CONSTEVAL", "API",      "EXPORT", "IMPORT",  "DECL",
        "FUNC",   "INVOKABLE", "NOEXCEPT",  "EXPLICIT", "STATIC", "VIRTUAL", "NODISCARD"};
    if (!IsCapsWord(w) || w.find('_') == std::string_view::npos) return false;
    for (std::size_t start = 0; start < w.size();) {
        std::size_t end = std::min(w.find('_', start), w.size());
        std::string_view part = w.substr(start, end - start);
        while (!part.empty() && part.back() >= '0' && part.back() <= '9') part.remove_suffix(1);
        if (OneOf(part, kWords)) return true;
        start = end + 1;
    }
    return false;
}

bool IsCvWord(std::string_view w) { return OneOf(w, kCv); }
bool IsCallingConvention(std::string_view w) { return OneOf(w, kCallingConventions); }
bool IsReservedWord(std::string_view w) {
    return OneOf(w, kSpecifiers) || OneOf(w, kCv) || OneOf(w, kBuiltins) || OneOf(w, kTypeWords) ||
           OneOf(w, kAttributeWords);
}

void TypeText::add(std::string_view token) {
    // A sign with nothing before it to subtract from is unary: std::array<int, -1>.
    const bool unary = (m_last == "-" || m_last == "+" || m_last == "!") &&
                       (m_beforeLast.empty() || m_beforeLast == "(" || m_beforeLast == "<" ||
                        m_beforeLast == "," || m_beforeLast == "[" || m_beforeLast == "=");
    const bool tight = m_text.empty() || unary || OneOf(token, kTight) || m_last == "(" || m_last == "[" ||
                       m_last == "<" || m_last == "::" || m_last == "~";
    if (!tight) m_text += ' ';
    m_text += token;
    m_beforeLast = m_last;
    m_last = token;
}

void TypeText::addSpelled(std::string_view text) {
    if (text.empty()) return;
    add("x");  // spaced like a name, then replaced by the text
    m_text.pop_back();
    m_text += text;
}

CppSyntax::CppSyntax(const std::vector<Token>& tokens) : m_t(tokens), m_n(tokens.size()), m_reserved(m_n) {
    for (std::size_t i = 0; i < m_n; ++i)
        m_reserved[i] = m_t[i].kind == TokenKind::Word && IsReservedWord(m_t[i].text);
}

std::size_t CppSyntax::past(std::size_t i, std::size_t end) const {
    if (i >= m_n || m_t[i].match == kNoMatch || m_t[i].match < i || m_t[i].match >= end) return kNoMatch;
    return m_t[i].match + 1;
}

std::size_t CppSyntax::skipAttributes(std::size_t i, std::size_t end) const {
    for (;;) {
        std::size_t next = kNoMatch;
        if (is(i, "[") && is(i + 1, "[")) {
            next = past(i, end);
        } else if (isWord(i) && OneOf(m_t[i].text, kAttributeWords) && is(i + 1, "(")) {
            next = past(i + 1, end);
        }
        if (next == kNoMatch) return i;
        i = next;
    }
}

std::size_t CppSyntax::nameEnd(std::size_t i, std::size_t end) const {
    std::size_t j = i;
    if (is(j, "::")) ++j;
    if (j >= end || !isWord(j) || m_reserved[j]) return i;
    for (;;) {
        ++j;
        if (is(j, "<")) {
            const std::size_t close = past(j, end);
            if (close != kNoMatch) j = close;
        }
        if (is(j, "::") && j + 1 < end && isWord(j + 1)) {
            if (is(j + 1, "template") && isWord(j + 2)) ++j;
            if (!m_reserved[j + 1]) {
                ++j;
                continue;
            }
        }
        return j;
    }
}

std::size_t CppSyntax::collectItems(std::size_t i, std::size_t end, std::vector<SpecifierItem>& items) const {
    while ((i = skipAttributes(i, end)) < end) {
        const std::string_view w = m_t[i].text;
        std::size_t next = i + 1;
        SpecifierItem::Kind kind = SpecifierItem::Name;
        if (!isWord(i)) {
            if (!is(i, "::")) break;
        } else if (OneOf(w, kSpecifiers)) {
            kind = SpecifierItem::Specifier;
            if (w == "explicit" && is(next, "(") && past(next, end) != kNoMatch) next = past(next, end);
            if (w == "extern" && next < end && m_t[next].kind == TokenKind::Literal) ++next;
        } else if (OneOf(w, kCv)) {
            kind = SpecifierItem::Cv;
        } else if (OneOf(w, kBuiltins)) {
            kind = SpecifierItem::Builtin;
        } else if (w == "decltype" || w == "typeof" || w == "__typeof__") {
            next = past(next, end);
            if (next == kNoMatch) break;
        } else if (w == "struct" || w == "class" || w == "union" || w == "enum" || w == "typename") {
            if (w == "enum" && (is(next, "class") || is(next, "struct"))) ++next;
            const std::size_t name = skipAttributes(next, end);
            next = nameEnd(name, end);
            if (next == name) break;
        } else if (m_reserved[i]) {
            break;
        }
        if (kind == SpecifierItem::Name && next == i + 1) {
            next = nameEnd(i, end);
            if (next == i) break;
            // Foo::~Foo, Foo::operator=, Foo::* belong to the declarator.
            if (is(next, "::") && (is(next + 1, "~") || is(next + 1, "operator") || is(next + 1, "*"))) break;
            if (is(next, "(")) {
                // MACRO(args) before the rest of the declaration is dropped like an attribute.
                const std::size_t after = past(next, end);
                if (next == i + 1 && IsCapsWord(w) && after != kNoMatch && isWord(after) &&
                    !IsCvWord(m_t[after].text) && m_t[after].text != "noexcept" &&
                    m_t[after].text != "throw" && m_t[after].text != "override" &&
                    m_t[after].text != "final" && m_t[after].text != "requires" && m_t[after].text != "try") {
                    items.push_back({i, after, SpecifierItem::Macro});
                    i = after;
                    continue;
                }
                items.push_back({i, next, SpecifierItem::Name});
                return next;
            }
        }
        items.push_back({i, next, kind});
        i = next;
    }
    return i;
}

bool CppSyntax::nestedDeclarator(std::size_t open) const {
    const std::size_t i = open + 1;
    if (is(i, "*") || is(i, "&") || is(i, "&&") || is(i, "^")) return true;
    // (CALLBACK* name)(int) holds a declarator only when a parameter list or bound follows;
    // f(FILE* s) is a parameter list.
    if (isWord(i) && (IsCallingConvention(m_t[i].text) || IsCapsWord(m_t[i].text)) && is(i + 1, "*")) {
        const std::size_t after = past(open, m_n);
        return after != kNoMatch && (is(after, "(") || is(after, "["));
    }
    const std::size_t k = nameEnd(i, m_n);
    return k > i && is(k, "::") && is(k + 1, "*");
}

std::size_t CppSyntax::declaratorStart(std::vector<SpecifierItem>& items, std::size_t stop, std::size_t end,
                                       bool function) const {
    for (SpecifierItem& item : items)
        if (item.kind == SpecifierItem::Name && item.end == item.begin + 1 &&
            IsCallingConvention(m_t[item.begin].text))
            item.kind = SpecifierItem::Macro;
    std::size_t names = 0;
    bool builtin = false;
    for (const SpecifierItem& item : items) {
        names += item.kind == SpecifierItem::Name;
        builtin = builtin || item.kind == SpecifierItem::Builtin;
    }
    const bool declaratorAhead =
        stop < end &&
        (is(stop, "*") || is(stop, "&") || is(stop, "&&") || is(stop, "^") || is(stop, "...") ||
         is(stop, "~") || is(stop, "operator") || is(stop, "::") ||
         (isWord(stop) && !IsCvWord(m_t[stop].text)) || (is(stop, "(") && nestedDeclarator(stop)));
    std::size_t start = stop;
    if (!declaratorAhead && !items.empty() && items.back().kind == SpecifierItem::Name &&
        (names + builtin >= 2 || (function && is(stop, "(")))) {
        start = items.back().begin;
        items.pop_back();
        --names;
    }
    // EXPORT_MACRO std::string name(): the word before the type is a macro.
    for (SpecifierItem& item : items) {
        if (names + builtin < 2) break;
        if (item.kind == SpecifierItem::Name && item.end == item.begin + 1 &&
            IsCapsWord(m_t[item.begin].text)) {
            item.kind = SpecifierItem::Macro;
            --names;
        }
    }
    return start;
}

void CppSyntax::writeTokens(std::size_t begin, std::size_t end, TypeText& out) const {
    for (std::size_t i = skipAttributes(begin, end); i < end; i = skipAttributes(i + 1, end))
        out.add(m_t[i].text);
}

void CppSyntax::writeItems(const std::vector<SpecifierItem>& items, TypeText& out) const {
    for (const SpecifierItem& item : items)
        if (item.kind != SpecifierItem::Specifier && item.kind != SpecifierItem::Macro)
            writeTokens(item.begin, item.end, out);
}

std::size_t CppSyntax::operatorEnd(std::size_t i, std::size_t end, DeclaratorInfo& d) const {
    std::size_t k = i + 1;
    if (k >= end) return i;
    if ((is(k, "(") || is(k, "[")) && m_t[k].match == k + 1) return k + 2;
    if (is(k, "new") || is(k, "delete")) return is(k + 1, "[") && m_t[k + 1].match == k + 2 ? k + 3 : k + 1;
    if (is(k, "co_await")) return k + 1;
    if (m_t[k].kind == TokenKind::Literal) {
        // operator"" _km spells its suffix apart
        return m_t[k].text.back() == '"' && isWord(k + 1) ? k + 2 : k + 1;
    }
    if (m_t[k].kind == TokenKind::Punct) {
        static constexpr std::array<std::string_view, 7> kNotOperators{"(", ")", "{", "}", ";", "[", "]"};
        if (OneOf(m_t[k].text, kNotOperators)) return i;
        std::size_t j = k + 1;
        if (m_t[k].text == ">")  // '>>', '>=' and '>>=' arrive as separate characters
            while (j < end && j < k + 3 && !m_t[j].spaceBefore && (is(j, ">") || is(j, "=")) &&
                   !is(j - 1, "="))
                ++j;
        return j;
    }
    // A conversion: operator const char*
    std::vector<SpecifierItem> items;
    std::size_t j = collectItems(k, end, items);
    if (j == k) return i;
    while (is(j, "*") || is(j, "&") || is(j, "&&") || (isWord(j) && IsCvWord(m_t[j].text))) ++j;
    d.conversion = true;
    d.conversionBegin = k;
    d.conversionEnd = j;
    return j;
}

std::size_t CppSyntax::idEnd(std::size_t i, std::size_t end, DeclaratorInfo& d) const {
    std::size_t j = i;
    for (;;) {
        if (is(j, "::")) ++j;
        if (is(j, "operator")) return operatorEnd(j, end, d);
        if (is(j, "~")) return isWord(j + 1) && !m_reserved[j + 1] ? j + 2 : i;
        const std::size_t k = nameEnd(j, end);
        if (k == j) return i;
        if (is(k, "::") && (is(k + 1, "~") || is(k + 1, "operator"))) {
            j = k + 1;
            continue;
        }
        return k;
    }
}

std::size_t CppSyntax::declarator(std::size_t i, std::size_t end, int depth, bool function, DeclaratorInfo& d,
                                  TypeText& out) {
    if (depth > kMaxNesting) {
        fail("brackets nested too deeply");
        return i;
    }
    while ((i = skipAttributes(i, end)) < end) {
        const std::string_view w = m_t[i].text;
        if (is(i, "*") || is(i, "&") || is(i, "&&") || is(i, "^") || is(i, "...") ||
            (isWord(i) && IsCvWord(w))) {
            out.add(w);
            ++i;
        } else if (isWord(i) &&
                   (IsCallingConvention(w) || (IsCapsWord(w) && (is(i + 1, "*") || is(i + 1, "&"))))) {
            ++i;
        } else if (const std::size_t k = nameEnd(i, end); k > i && is(k, "::") && is(k + 1, "*")) {
            writeTokens(i, k + 2, out);  // int Foo::*
            i = k + 2;
        } else {
            break;
        }
    }
    bool named = false;
    if (is(i, "(") && past(i, end) != kNoMatch && nestedDeclarator(i)) {
        const std::size_t close = past(i, end) - 1;
        out.add("(");
        const std::size_t j = declarator(i + 1, close, depth + 1, function, d, out);
        if (!m_error.empty()) return i;
        if (j != close) {
            fail("unexpected '" + std::string(m_t[j].text) + "' in a declarator");
            return i;
        }
        out.add(")");
        i = close + 1;
    } else if (i < end && (isWord(i) || is(i, "::") || is(i, "~"))) {
        const std::size_t k = idEnd(i, end, d);
        if (k > i) {
            d.hasId = true;
            d.idBegin = i;
            d.idEnd = k;
            named = true;
            i = k;
        }
    }
    for (bool first = true;; first = false) {
        if (is(i, "(") && past(i, end) != kNoMatch) {
            if (named && first && function && !d.isFunction) {
                d.isFunction = true;
                d.params = i;
                // Qualifiers of a function returning a function pointer end at the inner ')'.
                return depth > 0 ? end : past(i, end);
            }
            // A function type: its parameters are spelled without their names.
            std::vector<ParameterEntry> params;
            const std::size_t close = past(i, end) - 1;
            readParameters(i, depth + 1, params);
            out.add("(");
            if (close == i + 2 && is(i + 1, "void")) out.add("void");
            for (std::size_t p = 0; p < params.size(); ++p) {
                if (p > 0) out.add(",");
                out.addSpelled(params[p].Type);
            }
            out.add(")");
            d.functionType = true;
            i = close + 1;
            while (isWord(i) && i < end && (IsCvWord(m_t[i].text) || is(i, "noexcept")))
                out.add(m_t[i++].text);
        } else if (is(i, "[") && !is(i + 1, "[") && past(i, end) != kNoMatch) {
            writeTokens(i, past(i, end), out);
            i = past(i, end);
        } else {
            return i;
        }
    }
}

std::string CppSyntax::spellName(const DeclaratorInfo& d) const {
    TypeText name;
    for (std::size_t i = d.idBegin; i < d.idEnd; ++i) {
        if (!is(i, "operator")) {
            name.add(m_t[i].text);
            continue;
        }
        std::string text(name.str());
        text += "operator";
        if (d.conversion) {
            TypeText type;
            writeTokens(d.conversionBegin, d.conversionEnd, type);
            return text + " " + type.str();
        }
        if (isWord(i + 1)) text += ' ';  // operator new[]
        for (++i; i < d.idEnd; ++i) text += m_t[i].text;
        return text;
    }
    return name.str();
}

void CppSyntax::readParameters(std::size_t open, int depth, std::vector<ParameterEntry>& out) {
    const std::size_t close = m_t[open].match;
    if (close == open + 1 || (close == open + 2 && is(open + 1, "void"))) return;
    std::size_t begin = open + 1;
    for (std::size_t i = begin; i <= close && m_error.empty();) {
        if (i == close || is(i, ",")) {
            readParameter(begin, i, depth, out);
            begin = ++i;
        } else if ((is(i, "(") || is(i, "[") || is(i, "{") || is(i, "<")) && past(i, close) != kNoMatch) {
            i = past(i, close);
        } else {
            ++i;
        }
    }
}

std::size_t CppSyntax::trailingMacro(std::size_t begin, std::size_t stop) const {
    // const T& x FMT_BUILTIN: a capitals word after a plain name that has a type before it is
    // an attribute macro, as nothing else of a parameter can stand there.
    std::size_t macro = stop;
    if (macro > begin && is(macro - 1, ")") && m_t[macro - 1].match != kNoMatch) macro = m_t[macro - 1].match;
    if (macro < begin + 3 || !isWord(macro - 1) || !IsCapsWord(m_t[macro - 1].text)) return stop;
    --macro;
    const std::size_t name = macro - 1;
    if (!isWord(name) || m_reserved[name] || IsCapsWord(m_t[name].text) || is(name - 1, "::") ||
        is(name - 1, "struct") || is(name - 1, "class") || is(name - 1, "union") || is(name - 1, "enum"))
        return stop;
    return macro;
}

void CppSyntax::readParameter(std::size_t begin, std::size_t end, int depth,
                              std::vector<ParameterEntry>& out) {
    begin = skipAttributes(begin, end);
    if (begin == end) return fail("an empty parameter");
    if (m_t[begin].kind == TokenKind::Number || m_t[begin].kind == TokenKind::Literal)
        return fail("a call, not a declaration");
    std::size_t stop = begin;
    while (stop < end && !is(stop, "=")) {
        const std::size_t next =
            (is(stop, "(") || is(stop, "[") || is(stop, "{") || is(stop, "<")) ? past(stop, end) : kNoMatch;
        stop = next == kNoMatch ? stop + 1 : next;
    }
    ParameterEntry entry{{}, stop < end ? "Yes" : "No", {}, {}};
    stop = trailingMacro(begin, stop);
    std::vector<SpecifierItem> items;
    const std::size_t start = declaratorStart(items, collectItems(begin, stop, items), stop, false);
    TypeText type;
    writeItems(items, type);
    DeclaratorInfo d;
    const std::size_t j = declarator(start, stop, depth, false, d, type);
    if (!m_error.empty()) return;
    if (j != stop) return fail("unexpected '" + std::string(m_t[j].text) + "' in a parameter");
    if (type.str().empty()) return fail("a parameter without a type");
    if (d.hasId) entry.Name = spellName(d);
    entry.Type = type.str();
    out.push_back(std::move(entry));
}

}  // namespace qm
