// SPDX-License-Identifier: MIT
#include "reader/HeaderComparison.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/Text.h"

namespace qm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// C++ spells a type with free spacing; compare it with blanks only where two words meet.
std::string TypeKey(std::string_view type, bool vb) {
    std::string key;
    type = Trim(type);
    for (std::size_t i = 0; i < type.size(); ++i) {
        if (IsBlank(type[i])) {
            if (!key.empty() && IsIdentifierChar(key.back()) && i + 1 < type.size() &&
                IsIdentifierChar(Trim(type.substr(i))[0]))
                key += ' ';
            continue;
        }
        key += vb ? AsciiLower(type.substr(i, 1))[0] : type[i];
    }
    return key;
}

// Whether a returns text reads as a bare type, as `qmark header` writes it, rather than prose:
// one word in Visual Basic; in C++ at most one word besides the built-in type keywords.
bool LooksLikeType(std::string_view text, bool vb) {
    if (text.empty() || !(IsIdentifierChar(text[0]) || text.starts_with("::"))) return false;
    static constexpr std::array<std::string_view, 20> kKeywords = {
        "const", "volatile", "unsigned", "signed",  "long",     "short",   "int",
        "char",  "bool",     "float",    "double",  "void",     "struct",  "class",
        "enum",  "typename", "wchar_t",  "char8_t", "char16_t", "char32_t"};
    int words = 0;
    std::size_t depth = 0;
    std::string word;
    const auto endWord = [&] {
        while (!word.empty() && (word.back() == '*' || word.back() == '&')) word.pop_back();
        if (!word.empty() && std::find(kKeywords.begin(), kKeywords.end(), word) == kKeywords.end()) ++words;
        word.clear();
    };
    for (char c : text) {
        if (IsBlank(c) && depth == 0) {
            if (vb) return false;
            endWord();
        } else if (IsIdentifierChar(c) || std::string_view(".:*&,[]() ").find(c) != std::string_view::npos ||
                   (!vb && (c == '<' || c == '>'))) {
            if (c == '<' || c == '(') ++depth;
            if ((c == '>' || c == ')') && depth > 0) --depth;
            word += c;
        } else {
            return false;
        }
    }
    endWord();
    return words <= 1;
}

bool SaysNothing(std::string_view type) {
    for (std::string_view none : {"", "Nothing", "None", "void"})
        if (EqualsNoCase(type, none)) return true;
    return false;
}

std::string Quoted(std::string_view s);

// A C++ parameter may have no name; it is then known by its place.
std::string Label(const ParameterEntry& p, const std::vector<ParameterEntry>& list) {
    if (!p.Name.empty()) return "parameter " + Quoted(p.Name);
    return "unnamed parameter " + std::to_string(&p - list.data() + 1);
}

std::string Quoted(std::string_view s) {
    std::string out(1, '\'');
    out.append(s).push_back('\'');
    return out;
}

// Compares a block with its declaration; the messages say what differs and merged is the
// block brought in step, keeping what the user wrote.
class Comparison {
    const ProcedureDescription& m_block;
    const ProcedureDescription& m_code;
    bool m_vb;

public:
    Comparison(const ProcedureDescription& block, const ProcedureDescription& code, bool vb,
               bool accessStated)
        : m_block(block), m_code(code), m_vb(vb), merged(block) {
        if (!sameName(block.name, code.name)) {
            differ("header names " + Quoted(block.name) + ", the declaration " + Quoted(code.name));
            merged.name = code.name;
        }
        if (block.kind != code.kind) {
            differ("header says " + std::string(KindName(block.kind)) + ", the declaration is a " +
                   std::string(KindName(code.kind)));
            merged.kind = code.kind;
        }
        // C++ states access by sections a declaration alone does not show.
        if (accessStated && block.access != code.access) {
            differ("header says " + std::string(AccessName(block.access)) + ", the declaration is " +
                   std::string(AccessName(code.access)));
            merged.access = code.access;
        }
        compareParameters();
        compareReturns();
    }

    std::vector<std::string> messages;
    ProcedureDescription merged;
    std::vector<std::size_t> origins;

private:
    void differ(std::string message) { messages.push_back(std::move(message)); }
    bool sameName(std::string_view a, std::string_view b) const { return m_vb ? EqualsNoCase(a, b) : a == b; }
    bool sameType(std::string_view a, std::string_view b) const {
        return TypeKey(a, m_vb) == TypeKey(b, m_vb);
    }

    // Each declaration parameter takes the block's one at its own place when it has its name,
    // else the first unused one of its name, found through a table so that long lists stay
    // linear; one left over at its own place with the same type was renamed.
    void compareParameters() {
        const std::vector<ParameterEntry>& had = m_block.parameters;
        const std::vector<ParameterEntry>& code = m_code.parameters;
        constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
        std::vector<std::size_t> match(code.size(), kNone);
        std::vector<bool> used(had.size());
        // Most parameters stand where they stood; only the others need the table.
        for (std::size_t j = 0; j < code.size() && j < had.size(); ++j) {
            if (sameName(had[j].Name, code[j].Name)) match[j] = j, used[j] = true;
        }
        std::unordered_map<std::string, std::size_t> first;  // per name, the next unused in the block
        std::vector<std::size_t> next(had.size(), kNone);
        for (std::size_t i = had.size(); i-- > 0;) {
            if (used[i]) continue;
            const auto [at, fresh] = first.try_emplace(nameKey(had[i].Name), i);
            if (!fresh) next[i] = std::exchange(at->second, i);
        }
        for (std::size_t j = 0; j < code.size() && !first.empty(); ++j) {
            if (match[j] != kNone) continue;
            const auto at = first.find(nameKey(code[j].Name));
            if (at == first.end() || at->second == kNone) continue;
            match[j] = at->second;
            used[match[j]] = true;
            at->second = next[match[j]];
        }
        std::vector<bool> renamed(code.size());
        for (std::size_t j = 0; j < code.size() && j < had.size(); ++j) {
            if (match[j] != kNone || used[j] || !sameType(had[j].Type, code[j].Type)) continue;
            match[j] = j;
            used[j] = renamed[j] = true;
        }
        merged.parameters.clear();
        std::vector<std::size_t> order;
        for (std::size_t j = 0; j < code.size(); ++j) {
            const ParameterEntry& p = code[j];
            ParameterEntry entry{p.Name, m_vb ? p.Optional : "No", p.Type, {}};
            origins.push_back(match[j]);
            if (match[j] == kNone) {
                differ(Label(p, code) + " is missing from the header");
                merged.parameters.push_back(std::move(entry));
                continue;
            }
            const ParameterEntry& h = had[match[j]];
            order.push_back(match[j]);
            entry.Description = h.Description;
            if (renamed[j]) {
                differ(Label(h, had) + " is now " +
                       (p.Name.empty() ? std::string("unnamed") : Quoted(p.Name)));
            } else {
                entry.Name = h.Name;  // the block's spelling, where letter case does not count
            }
            if (sameType(h.Type, p.Type)) {
                entry.Type = h.Type;
            } else {
                differ(Label(p, code) + " is " + Quoted(h.Type) + " in the header, " + Quoted(p.Type) +
                       " in the declaration");
            }
            if (m_vb && (h.Optional == "Yes") != (p.Optional == "Yes")) {
                differ(Label(p, code) + " is Optional in the " +
                       (p.Optional == "Yes" ? "declaration, not in the header"
                                            : "header, not in the declaration"));
            }
            merged.parameters.push_back(std::move(entry));
        }
        for (std::size_t i = 0; i < had.size(); ++i)
            if (!used[i])
                differ("header lists " + Label(had[i], had) + ", which the declaration does not have");
        if (!std::is_sorted(order.begin(), order.end()))
            differ("header lists the parameters in another order than the declaration");
    }

    std::string nameKey(const std::string& name) const { return m_vb ? AsciiLower(name) : name; }

    // The returns text is checked where it starts with a type, as `qmark header` writes it;
    // prose after a ";" or " - " is kept, and prose alone is the user's and never stale.
    void compareReturns() {
        const std::string& text = m_block.returns;
        const auto [lead, tail] = splitReturns(text);
        if (lead.empty() && !tail.empty()) return;
        if (!lead.empty() && !LooksLikeType(lead, m_vb)) return;
        const std::string_view code = m_code.returns;
        if (SaysNothing(lead) && code.empty()) return;
        if (!lead.empty() && sameType(lead, code)) return;
        if (lead.empty()) {
            differ("header gives no return type, the declaration returns " + Quoted(code));
        } else {
            differ("header returns " + Quoted(lead) + ", the declaration returns " +
                   (code.empty() ? std::string("nothing") : Quoted(code)));
        }
        if (!code.empty()) {
            const std::size_t leadAt = lead.empty() ? 0 : static_cast<std::size_t>(lead.data() - text.data());
            merged.returns = text.substr(0, leadAt) + std::string(code) + std::string(tail);
            return;
        }
        // Nothing returned: keep the prose, without any type it starts with.
        std::string_view rest = tail;
        for (;;) {
            rest = TrimLeft(rest.substr(rest.empty() ? 0 : rest[0] == ';' ? 1 : 3));
            const auto [nextLead, nextTail] = splitReturns(rest);
            if (nextLead.empty() || !LooksLikeType(nextLead, m_vb)) break;
            rest = nextTail;
        }
        merged.returns = std::string(rest);
    }

    // The returns text's leading part and the rest from its ";" or " - " on.
    static std::pair<std::string_view, std::string_view> splitReturns(std::string_view text) {
        const std::size_t separator = std::min(text.find(';'), text.find(" - "));
        if (separator == std::string_view::npos) return {Trim(text), {}};
        return {Trim(text.substr(0, separator)), text.substr(separator)};
    }
};

}  // namespace

HeaderComparison CompareHeader(const ProcedureDescription& block, const ProcedureDescription& code, bool vb,
                               bool accessStated) {
    Comparison c(block, code, vb, accessStated);
    return {std::move(c.messages), std::move(c.merged), std::move(c.origins)};
}

std::string ProcedureHeading(const ProcedureDescription& procedure) {
    return std::string(AccessName(procedure.access)) + " " + std::string(KindName(procedure.kind)) + " " +
           procedure.name;
}

}  // namespace qm
