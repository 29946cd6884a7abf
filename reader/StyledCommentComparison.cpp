// SPDX-License-Identifier: MIT
#include "reader/StyledCommentComparison.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/Text.h"
#include "reader/StyledCommentReader.h"

namespace qm {
namespace {

using Kind = CommentTag::Kind;
constexpr int kNone = -1;
// Renames are guessed between two documented parameters at most this many places apart.
constexpr int kMaxPairing = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Edits between two names, letter case ignored; stops counting past limit.
std::size_t Distance(std::string_view a, std::string_view b, std::size_t limit) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return limit + 1;
    const std::string x = AsciiLower(a), y = AsciiLower(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

// A typo's distance: two edits, less than the shorter name.
bool Close(std::string_view a, std::string_view b) {
    const std::size_t limit = std::min<std::size_t>(2, std::min(a.size(), b.size()) - 1);
    return !a.empty() && !b.empty() && Distance(a, b, limit) <= limit;
}

std::string Quoted(std::string_view s) {
    std::string out(1, '\'');
    out.append(s).push_back('\'');
    return out;
}

struct Edit {
    std::size_t begin, end;
    std::string text;
};

// One documented name: the tag that holds it and its place among the tag's names.
struct Documented {
    std::size_t tag, name;
    int wanted = kNone;  // the declaration's name it documents, or will after a rename
    bool matched = false, duplicate = false;
};

class Comparison {
public:
    Comparison(std::string_view comment, const CommentStyle& style, bool vb, const StyledReport& report)
        : m_text(comment),
          m_style(style),
          m_vb(vb),
          m_report(report),
          m_read(ReadStyledTags(comment, style)) {
        for (std::size_t at = 0; at < m_text.size();) {
            const std::size_t nl = m_text.find('\n', at);
            m_lineStarts.push_back(at);
            at = nl == std::string_view::npos ? m_text.size() : nl + 1;
        }
        m_lineStarts.push_back(m_text.size());
    }

    StyledComparison run(const ProcedureDescription& declaration,
                         const std::vector<std::string>& templateParameters) {
        if (!m_read.error.empty()) return {{}, std::string(m_text), m_read.error};
        std::vector<std::string> names, types;
        for (const ParameterEntry& p : declaration.parameters) {
            // An unnamed C++ parameter, or a name no tag can hold, cannot be documented.
            if (p.Name.empty() || !std::all_of(p.Name.begin(), p.Name.end(), [](char c) {
                    return c == '.' || c == '_' || std::isalnum(static_cast<unsigned char>(c)) ||
                           static_cast<unsigned char>(c) >= 0x80;
                }))
                continue;
            names.push_back(p.Name);
            types.push_back(p.Type);
        }
        compare(Kind::TypeParam, templateParameters, {}, "template parameter");
        compare(Kind::Param, names, types, "parameter");
        compareReturn(declaration);
        // Lines put in at a place come before what is taken out from there.
        std::stable_sort(m_edits.begin(), m_edits.end(), [](const Edit& a, const Edit& b) {
            return a.begin < b.begin || (a.begin == b.begin && a.end < b.end);
        });
        if (m_edits.empty()) return {std::move(m_findings), std::string(m_text), {}};
        std::string out;
        std::size_t done = 0;
        for (const Edit& e : m_edits) {
            if (e.begin < done) continue;  // never two edits of one stretch of text
            out.append(m_text.substr(done, e.begin - done)).append(e.text);
            done = e.end;
        }
        out.append(m_text.substr(done));
        // A comment that loses its only line stays, empty, so the one above never takes its place.
        if (out.find_first_not_of(" \t\r\n") == std::string::npos) {
            const std::string_view first = m_text.substr(0, lineEnd(0));
            out = std::string(first.substr(0, first.find_first_not_of(" \t"))) + m_read.opener +
                  std::string(lineBreak(0));
        }
        return {std::move(m_findings), std::move(out), {}};
    }

private:
    const std::vector<CommentTag>& tags() const { return m_read.tags; }
    // A name as it is looked up: Visual Basic names match in any letter case.
    std::string key(std::string_view name) const { return m_vb ? AsciiLower(name) : std::string(name); }
    void find(std::string message, bool fixed) {
        m_findings.push_back(
            {0, std::move(message), fixed ? HeaderFinding::Fix::Updated : HeaderFinding::Fix::None});
    }
    std::size_t lineEnd(std::size_t line) const {
        std::size_t end = m_lineStarts[line + 1];
        while (end > m_lineStarts[line] && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r')) --end;
        return end;
    }
    std::string_view lineBreak(std::size_t line) const {
        const std::size_t end = lineEnd(line);
        const std::string_view brk = m_text.substr(end, m_lineStarts[line + 1] - end);
        return brk.empty() ? std::string_view("\n") : brk;
    }
    // Whether a tag may have lines put before or after it: it starts or ends its lines, and
    // is not on the line that opens a block comment.
    bool startsLine(const CommentTag& t) const {
        if (t.firstLine == 0 && m_read.opener.starts_with("/*")) return false;
        const std::string_view before =
            m_text.substr(m_lineStarts[t.firstLine], t.begin - m_lineStarts[t.firstLine]);
        return before.find_first_not_of(" \t*/!'") == std::string_view::npos;
    }
    bool endsLine(const CommentTag& t) const {
        const std::string_view after =
            m_text.substr(t.end, lineEnd(t.lastLine) - std::min(t.end, lineEnd(t.lastLine)));
        return after.find_first_not_of(" \t") == std::string_view::npos;
    }
    // What stands before a tag on a line of the comment's own: " * ", "/// ", "'".
    std::string linePrefix() const {
        for (const CommentTag& t : tags())
            if (t.kind != Kind::Prose && startsLine(t))
                return std::string(
                    m_text.substr(m_lineStarts[t.firstLine], t.begin - m_lineStarts[t.firstLine]));
        const std::string_view first = m_text.substr(0, lineEnd(0));
        const std::string indent(first.substr(0, first.find_first_not_of(" \t")));
        const CommentFrame* frame = FindCommentFrame(m_read.opener);
        return indent + std::string(frame ? frame->prefix : " ");
    }

    void compare(Kind kind, const std::vector<std::string>& wanted, const std::vector<std::string>& types,
                 const std::string& noun) {
        std::vector<Documented> docs;
        for (std::size_t t = 0; t < tags().size(); ++t)
            if (tags()[t].kind == kind)
                for (std::size_t n = 0; n < tags()[t].names.size(); ++n) docs.push_back({t, n});
        if (docs.empty() && !m_report.undocumented) return;
        // A declaration naming two parameters alike is the compiler's to report, not ours.
        std::unordered_map<std::string, int> index;
        for (std::size_t w = 0; w < wanted.size(); ++w)
            if (!index.emplace(key(wanted[w]), static_cast<int>(w)).second) return;
        std::vector<int> documentedBy(wanted.size(), kNone);
        for (std::size_t d = 0; d < docs.size(); ++d) {
            const std::string& name = nameOf(docs[d]);
            const auto found = index.find(key(name));
            if (found == index.end()) continue;
            docs[d].wanted = found->second;
            docs[d].matched = true;
            if (documentedBy[docs[d].wanted] != kNone) {
                docs[d].duplicate = true;
                find("documents " + noun + " " + Quoted(name) + " twice", false);
            } else {
                documentedBy[docs[d].wanted] = static_cast<int>(d);
            }
        }
        pairRenames(docs, documentedBy, wanted, types);
        if (kind == Kind::Param && m_report.order) {
            int last = kNone;
            for (const Documented& d : docs)
                if (d.matched && !d.duplicate) {
                    if (d.wanted < last) {
                        find("documents the parameters in another order than the declaration", false);
                        break;
                    }
                    last = d.wanted;
                }
        }
        // Docs come tag by tag: each tag's names as they will read, an empty one going.
        for (std::size_t d = 0; d < docs.size();) {
            const std::size_t t = docs[d].tag;
            std::vector<std::string> names;
            for (const TagName& n : tags()[t].names) names.push_back(n.name);
            for (; d < docs.size() && docs[d].tag == t; ++d) {
                if (docs[d].matched) continue;
                const std::string& name = nameOf(docs[d]);
                const int w = docs[d].wanted;
                const bool close = w != kNone && Close(name, wanted[w]);
                find("documents " + noun + " " + Quoted(name) + ", which the declaration does not have" +
                         (close ? " (did you mean " + Quoted(wanted[w]) + "?)" : ""),
                     true);
                names[docs[d].name] = w != kNone ? wanted[w] : std::string();
            }
            rename(t, names);
        }
        // The documented parameter nearest before and after each, for where a new tag goes.
        std::vector<int> before(wanted.size(), kNone), after(wanted.size(), kNone);
        for (std::size_t w = 1; w < wanted.size(); ++w)
            before[w] = documentedBy[w - 1] != kNone ? static_cast<int>(w - 1) : before[w - 1];
        for (std::size_t w = wanted.size(); w-- > 1;)
            after[w - 1] = documentedBy[w] != kNone ? static_cast<int>(w) : after[w];
        const Placement placed = placement(kind);
        for (std::size_t w = 0; w < wanted.size(); ++w) {
            if (documentedBy[w] != kNone) continue;
            find(noun + " " + Quoted(wanted[w]) + " is not documented", true);
            const auto tagOf = [&](int v) {
                return v == kNone ? nullptr : &tags()[docs[documentedBy[v]].tag];
            };
            add(kind, wanted[w], types.empty() ? std::string() : types[w], tagOf(before[w]), tagOf(after[w]),
                placed);
        }
    }

    // Gives tag t the names, an empty one taken out with its comma; with none left, the tag.
    void rename(std::size_t t, const std::vector<std::string>& names) {
        const CommentTag& tag = tags()[t];
        const bool removes = std::find(names.begin(), names.end(), std::string()) != names.end();
        if (!removes) {
            for (std::size_t n = 0; n < names.size(); ++n) {
                if (names[n] == tag.names[n].name) continue;
                // Descriptions lined up in a column stay in it while a blank is left.
                std::size_t end = tag.names[n].end, blanks = 0;
                while (end + blanks < m_text.size() && m_text[end + blanks] == ' ') ++blanks;
                const std::size_t was = CharLength(tag.names[n].name), now = CharLength(names[n]);
                std::string text = names[n];
                if (blanks >= 2 && end + blanks < std::min(tag.end, lineEnd(tag.firstLine)) &&
                    n + 1 == names.size()) {
                    text.append(was + blanks > now ? std::max<std::size_t>(1, was + blanks - now) : 1, ' ');
                    end += blanks;
                }
                m_edits.push_back({tag.names[n].begin, end, text});
            }
        } else if (std::all_of(names.begin(), names.end(), [](const std::string& n) { return n.empty(); })) {
            if (tag.wholeLines) {
                m_edits.push_back({m_lineStarts[tag.firstLine], m_lineStarts[tag.lastLine + 1], {}});
            } else {
                std::size_t begin = tag.begin;
                while (begin > 0 && IsBlank(m_text[begin - 1])) --begin;
                m_edits.push_back({begin, tag.end, {}});
            }
        } else {
            const std::string_view comma =
                m_text.substr(tag.names[0].end, tag.names[1].begin - tag.names[0].end);
            std::string list;
            for (const std::string& n : names)
                if (!n.empty()) list.append(list.empty() ? "" : comma).append(n);
            m_edits.push_back({tag.names.front().begin, tag.names.back().end, list});
        }
    }

    const std::string& nameOf(const Documented& d) const { return tags()[d.tag].names[d.name].name; }

    // A stale name takes the place of an undocumented parameter between the same two
    // documented ones: in order when there are as many of each, else the one whose name is
    // close, else the one at its own place in the list, of the same type where a VBA tag
    // gives one.
    void pairRenames(std::vector<Documented>& docs, std::vector<int>& documentedBy,
                     const std::vector<std::string>& wanted, const std::vector<std::string>& types) {
        // The highest documented place before each doc and the lowest after it.
        std::vector<int> low(docs.size() + 1, kNone), high(docs.size() + 1, static_cast<int>(wanted.size()));
        for (std::size_t d = 0; d < docs.size(); ++d)
            low[d + 1] = docs[d].matched && !docs[d].duplicate ? std::max(low[d], docs[d].wanted) : low[d];
        for (std::size_t d = docs.size(); d-- > 0;)
            high[d] =
                docs[d].matched && !docs[d].duplicate ? std::min(high[d + 1], docs[d].wanted) : high[d + 1];
        for (std::size_t d = 0; d < docs.size();) {
            if (docs[d].matched) {
                ++d;
                continue;
            }
            std::size_t end = d;
            while (end < docs.size() && !docs[end].matched) ++end;
            // Past a few dozen places a guess at a rename is no better than none.
            std::vector<int> open;
            for (int w = low[d] + 1; w < high[end] && high[end] - low[d] <= kMaxPairing; ++w)
                if (documentedBy[w] == kNone) open.push_back(w);
            for (std::size_t s = d; s < end; ++s) {
                int partner = kNone;
                if (open.size() == end - d) partner = open[s - d];
                for (int w : open)
                    if (partner == kNone && documentedBy[w] == kNone && Close(nameOf(docs[s]), wanted[w]))
                        partner = w;
                for (int w : open)
                    if (partner == kNone && documentedBy[w] == kNone && static_cast<std::size_t>(w) == s)
                        partner = w;
                if (partner == kNone || !sameType(tags()[docs[s].tag].type, types, partner)) continue;
                docs[s].wanted = partner;
                documentedBy[partner] = static_cast<int>(s);
            }
            d = end;
        }
    }

    // A VBA tag's "{ByRef Long}" against the declaration's type; true where either says none.
    static bool sameType(std::string_view tagged, const std::vector<std::string>& types, int w) {
        if (tagged.size() < 2 || types.empty() || types[w].empty()) return true;
        std::string_view t = TrimBlanks(tagged.substr(1, tagged.size() - 2));
        for (std::string_view word : {"ByRef ", "ByVal ", "Optional "})
            if (t.size() > word.size() && EqualsNoCase(t.substr(0, word.size()), word))
                t = TrimBlanks(t.substr(word.size()));
        return EqualsNoCase(t, types[w]) || EqualsNoCase(std::string(t) + "()", types[w]) ||
               EqualsNoCase(t, types[w] + "()");
    }

    // How new tags of a kind are written and where they go when no documented parameter
    // stands by: like the comment's first tag of that kind, after the description and the
    // template parameters, before the return.
    struct Placement {
        const CommentTag* like = nullptr;
        bool backslash = false;
        const CommentTag *after = nullptr, *before = nullptr;
    };
    Placement placement(Kind kind) const {
        Placement p;
        const CommentTag* description = nullptr;
        for (const CommentTag& t : tags()) {
            if (t.kind != Kind::Purpose && t.kind != Kind::Prose) break;
            description = &t;
        }
        for (const CommentTag& t : tags()) {
            if (t.kind == kind && !p.like) p.like = &t;
            p.backslash = p.backslash || t.spelling.starts_with("\\");
            if (kind == Kind::Param && t.kind == Kind::TypeParam) p.after = &t;
            if (!p.before && ((kind == Kind::TypeParam && t.kind == Kind::Param) || t.kind == Kind::Return))
                p.before = &t;
        }
        if (!p.after && description && !(p.before && p.before->kind == Kind::Param)) p.after = description;
        if (p.after) p.before = nullptr;
        return p;
    }

    // A tag for an undocumented parameter, after the tag of the documented one before it, else
    // before the one after it, else as placed.
    void add(Kind kind, const std::string& name, const std::string& type, const CommentTag* after,
             const CommentTag* before, const Placement& placed) {
        const std::string_view word =
            FirstWord(kind == Kind::Param ? m_style.paramTags : m_style.typeParamTags);
        std::string text;
        if (m_style.syntax == TagSyntax::Elements) {
            text.append("<")
                .append(word)
                .append(" name=\"")
                .append(name)
                .append("\"></")
                .append(word)
                .append(">");
        } else {
            if (placed.like) {
                text = placed.like->spelling;
            } else {
                text.append(placed.backslash ? "\\" : "@").append(word);
            }
            text.append(" ");
            if (placed.like && !placed.like->type.empty()) text.append("{").append(type).append("} ");
            text.append(name);
        }
        if (after) before = nullptr;
        if (!after && !before) {
            after = placed.after;
            before = placed.before;
        }
        // A tag goes inside a line only where the style reads one there; a line comment's
        // lines each stand alone, so a line of its own fits next to any of them.
        const bool inLine = m_style.midLineTags || m_style.syntax == TagSyntax::Elements;
        const bool lineComment = !m_read.opener.starts_with("/*");
        if (after && (endsLine(*after) || (lineComment && !inLine)) &&
            m_text.substr(0, m_lineStarts[after->lastLine + 1]).ends_with('\n')) {
            const std::size_t at = m_lineStarts[after->lastLine + 1];
            m_edits.push_back({at, at, linePrefix() + text + std::string(lineBreak(after->lastLine))});
        } else if (after && inLine) {
            m_edits.push_back({after->end, after->end, " " + text});
        } else if (before && (startsLine(*before) || (lineComment && !inLine))) {
            const std::size_t at = m_lineStarts[before->firstLine];
            m_edits.push_back({at, at, linePrefix() + text + std::string(lineBreak(before->firstLine))});
        } else if (before && inLine) {
            m_edits.push_back({before->begin, before->begin, text + " "});
        } else {
            addAtEnd(text);
        }
    }

    // Into a comment that holds no tag to stand by: before a block comment's closing line, or
    // after a line comment's last line.
    void addAtEnd(const std::string& text) {
        std::size_t last = m_lineStarts.size() - 2;
        while (last > 0 && lineEnd(last) == m_lineStarts[last]) --last;
        const std::string_view line = m_text.substr(m_lineStarts[last], lineEnd(last) - m_lineStarts[last]);
        // Only a block comment has a closer; in a line comment "*/" is text.
        const std::size_t close = m_read.opener.starts_with("/*") ? line.rfind("*/") : std::string_view::npos;
        if (close != std::string_view::npos &&
            line.substr(0, close).find_first_not_of(" \t*") != std::string_view::npos) {
            m_edits.push_back({m_lineStarts[last] + close, m_lineStarts[last] + close, text + " "});
        } else if (close != std::string_view::npos) {
            m_edits.push_back(
                {m_lineStarts[last], m_lineStarts[last], linePrefix() + text + std::string(lineBreak(last))});
        } else {
            const std::size_t at = m_lineStarts[last + 1];
            m_edits.push_back({at, at,
                               (at == lineEnd(last) ? std::string(lineBreak(0)) : "") + linePrefix() + text +
                                   (at == lineEnd(last) ? "" : std::string(lineBreak(last)))});
        }
    }

    void compareReturn(const ProcedureDescription& declaration) {
        const bool returnsValue =
            declaration.kind == ProcedureKind::Function ||
            (declaration.kind == ProcedureKind::Property && !declaration.returns.empty());
        const bool documented = std::any_of(tags().begin(), tags().end(), DocumentsReturn);
        if (documented && !returnsValue)
            find("documents a return value, but the declaration returns nothing", false);
        if (!documented && returnsValue && m_report.undocumented)
            find("the return value is not documented", false);
    }

    std::string_view m_text;
    const CommentStyle& m_style;
    bool m_vb;
    StyledReport m_report;
    StyledCommentResult m_read;
    std::vector<std::size_t> m_lineStarts;  // each line's first byte, then the text's end
    std::vector<Edit> m_edits;
    std::vector<HeaderFinding> m_findings;
};

}  // namespace

StyledComparison CompareStyledComment(std::string_view comment, const CommentStyle& style,
                                      const ProcedureDescription& declaration,
                                      const std::vector<std::string>& templateParameters, bool vb,
                                      const StyledReport& report) {
    return Comparison(comment, style, vb, report).run(declaration, templateParameters);
}

}  // namespace qm
