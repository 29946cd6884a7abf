// SPDX-License-Identifier: MIT
#include "server/HeaderActions.h"

#include <algorithm>
#include <optional>

#include "reader/Declaration.h"
#include "reader/DeclarationSpan.h"
#include "server/DocumentStyle.h"

namespace qm {
namespace {

using nlohmann::json;

// A declaration is read from at most this many lines, as the sync reads it.
constexpr std::size_t kDeclarationLines = 64;

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

json ToJson(Position p) { return {{"line", p.line}, {"character", p.character}}; }

json RangeJson(const Document& d, std::size_t from, std::size_t to) {
    return {{"start", ToJson(d.lines.positionOf(d.text, from))},
            {"end", ToJson(d.lines.positionOf(d.text, to))}};
}

const HeaderSyncResult& Checked(Document& d) {
    if (!d.checked) d.checked = SyncDocument(d, std::nullopt);
    return *d.checked;
}

// Where line's text starts, as the reader and the sync's edits count lines: past a byte-order
// mark on the first; the text's end for a line past the last.
std::size_t LineBegin(const Document& d, std::size_t line) {
    if (line >= d.lines.lineCount()) return d.text.size();
    if (line == 0 && d.text.starts_with("\xEF\xBB\xBF")) return 3;
    return d.lines.lineStart(line);
}

std::string_view LineText(const Document& d, std::size_t line) {
    const std::size_t begin = LineBegin(d, line);
    return std::string_view(d.text).substr(begin, d.lines.contentEnd(d.text, line) - begin);
}

// Lines [line, line + kDeclarationLines) of the document, enough for any declaration starting there.
std::string_view DeclarationText(const Document& d, std::size_t line) {
    const std::size_t last = std::min(line + kDeclarationLines, d.lines.lineCount()) - 1;
    const std::size_t begin = LineBegin(d, line);
    return std::string_view(d.text).substr(begin, d.lines.contentEnd(d.text, last) - begin);
}

// The bytes of the declaration's name on or after line: where the name is followed by its
// parameter list, else where it first stands as a word; the line's text when there is none.
std::pair<std::size_t, std::size_t> NameBytes(const Document& d, std::size_t line) {
    const std::string_view text = DeclarationText(d, line);
    const std::size_t base = LineBegin(d, line);
    if (const DeclarationResult r = ReadDeclaration(text, *d.language); r && !r.description->name.empty()) {
        const std::string& name = r.description->name;
        std::optional<std::size_t> word;
        for (std::size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
            const std::size_t after = at + name.size();
            if ((at > 0 && IsIdentifierChar(name.front()) && IsIdentifierChar(text[at - 1])) ||
                (after < text.size() && IsIdentifierChar(name.back()) && IsIdentifierChar(text[after])))
                continue;
            if (!word) word = at;
            const std::size_t next = text.find_first_not_of(" \t\r\n", after);
            if (next != std::string_view::npos && text[next] == '(') return {base + at, base + after};
        }
        if (word) return {base + *word, base + *word + name.size()};
    }
    const std::size_t end = d.lines.contentEnd(d.text, line);
    const std::size_t begin = std::min(d.text.find_first_not_of(" \t", base), end);
    return {begin, end};
}

json Diagnostic(const Document& d, const HeaderFinding& f) {
    const std::size_t line = f.line > 0 ? std::min(f.line - 1, d.lines.lineCount() - 1) : 0;
    const auto [from, to] = NameBytes(d, line);
    return {{"range", RangeJson(d, from, to)}, {"severity", 2}, {"source", "qmark"}, {"message", f.message}};
}

json TextEdit(const Document& d, const LineEdit& e) {
    std::string text;
    for (const std::string& line : e.lines) text += line;
    return {{"range", RangeJson(d, LineBegin(d, e.first), LineBegin(d, e.first + e.count))},
            {"newText", std::move(text)}};
}

json Action(const Document& d, const ActionRequest& r, std::string title, std::string kind, json edits) {
    json edit;
    if (r.documentChanges) {
        edit["documentChanges"] = json::array(
            {{{"textDocument", {{"uri", d.uri}, {"version", d.version}}}, {"edits", std::move(edits)}}});
    } else {
        edit["changes"][d.uri] = std::move(edits);
    }
    return {{"title", std::move(title)}, {"kind", std::move(kind)}, {"edit", std::move(edit)}};
}

bool Wanted(const ActionRequest& r, std::string_view kind) {
    if (!r.only.is_array()) return true;
    for (const json& k : r.only) {
        if (!k.is_string()) continue;
        const std::string& want = k.get_ref<const std::string&>();
        if (kind == want || (kind.starts_with(want) && kind[want.size()] == '.')) return true;
    }
    return false;
}

// Whether the line is part of a comment: a remark, or a C++ comment's opener, middle or closer.
bool IsCommentLine(const Document& d, std::size_t line) {
    std::string_view text = LineText(d, line);
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t")));
    if (*d.language == kVisualBasic) return text.starts_with('\'');
    return text.starts_with("//") || text.starts_with("/*") || text.starts_with('*');
}

// The first line of the comment that holds line.
std::size_t CommentStart(const Document& d, std::size_t line) {
    while (line > 0 && IsCommentLine(d, line - 1)) --line;
    return line;
}

// The header's lines with the declaration's indent and line end (the first line's where the
// declaration's has none; LF where no line has one).
std::string IndentedHeader(const Document& d, std::size_t line, const std::string& header) {
    const std::size_t end = d.lines.contentEnd(d.text, line);
    const std::string_view content = LineText(d, line);
    const std::string_view indent =
        content.substr(0, std::min(content.size(), content.find_first_not_of(" \t")));
    std::size_t breakAt = end, breakEnd = line + 1 < d.lines.lineCount() ? d.lines.lineStart(line + 1) : end;
    if (breakAt == breakEnd && d.lines.lineCount() > 1) {
        breakAt = d.lines.contentEnd(d.text, 0);
        breakEnd = d.lines.lineStart(1);
    }
    const std::string lineEnd = breakAt < breakEnd ? d.text.substr(breakAt, breakEnd - breakAt) : "\n";
    std::string out;
    for (std::size_t from = 0; from < header.size();) {
        const std::size_t to = std::min(header.find("\r\n", from), header.size());
        out.append(indent).append(header, from, to - from) += lineEnd;
        from = to + 2;
    }
    return out;
}

}  // namespace

json DocumentDiagnostics(Document& d) {
    json out = json::array();
    if (!d.language) return out;
    const HeaderSyncResult& checked = Checked(d);
    // A style file that cannot be used is said where the user looks, at the document's start.
    if (!checked.error.empty())
        out.push_back({{"range", RangeJson(d, 0, 0)},
                       {"severity", 1},
                       {"source", "qmark"},
                       {"message", checked.error}});
    for (const HeaderFinding& f : checked.findings) out.push_back(Diagnostic(d, f));
    return out;
}

json DocumentCodeActions(Document& d, const ActionRequest& r, const std::function<EditStamp()>& stamp) {
    json actions = json::array();
    if (!d.language) return actions;
    std::optional<EditStamp> stamped;
    const auto getStamp = [&]() -> const EditStamp& {
        if (!stamped) stamped = stamp();
        return *stamped;
    };
    const HeaderSyncResult& checked = Checked(d);
    HeaderSyncResult updated;
    if (!checked.findings.empty() && (Wanted(r, kUpdateKind) || Wanted(r, kUpdateAllKind))) {
        const EditStamp& s = getStamp();
        updated =
            SyncDocument(d, HeaderUpdate{{FormatCommentDate(s.date), s.developer, "Updated"}, false, s.date});
    }
    std::vector<std::size_t> stale;
    for (const HeaderFinding& f : updated.findings)
        if (f.fix == HeaderFinding::Fix::Updated && (stale.empty() || stale.back() != f.line - 1))
            stale.push_back(f.line - 1);
    const std::vector<LineEdit>& edits = updated.edits;
    const auto editsJson = [&](std::size_t from, std::size_t to) {
        json out = json::array();
        for (std::size_t e = from; e < to; ++e) out.push_back(TextEdit(d, edits[e]));
        return out;
    };
    // The cursor is on the block, or on a line of the declaration, which may go on for a few lines.
    const auto touches = [&](std::size_t block, std::size_t declaration) {
        if (r.end.line < block || r.start.line > declaration + kDeclarationLines) return false;
        return r.start.line <= declaration ||
               r.start.line <= LocateDeclaration(d.text, declaration, *d.language).last;
    };
    if (Wanted(r, kUpdateKind)) {
        // Each block's edits stand between the declaration before it and its own.
        for (std::size_t k = 0, e = 0; k < stale.size(); ++k) {
            const std::size_t from = e;
            while (e < edits.size() && edits[e].first < stale[k]) ++e;
            if (from == e || !touches(CommentStart(d, edits[from].first), stale[k])) continue;
            json action = Action(d, r, "Update header", std::string(kUpdateKind), editsJson(from, e));
            action["isPreferred"] = true;
            for (const HeaderFinding& f : checked.findings)
                if (f.line == stale[k] + 1) action["diagnostics"].push_back(Diagnostic(d, f));
            actions.push_back(std::move(action));
        }
    }
    if (Wanted(r, kInsertKind) && r.start.line < d.lines.lineCount()) {
        const DeclarationSpan span = LocateDeclaration(d.text, r.start.line, *d.language);
        const std::size_t at = LineBegin(d, span.first);
        const std::string_view declaration =
            std::string_view(d.text).substr(at, d.lines.contentEnd(d.text, span.last) - at);
        const DeclarationResult read = span.error.empty() && !span.headerOpen
                                           ? ReadDeclaration(declaration, *d.language)
                                           : DeclarationResult{};
        const EditStamp* s = read ? &getStamp() : nullptr;
        const std::string header = s ? DocumentHeader(d, span.first, span.last, declaration,
                                                      *read.description, s->developer, s->date)
                                     : "";
        if (!header.empty())
            actions.push_back(Action(d, r, "Insert header", std::string(kInsertKind),
                                     json::array({{{"range", RangeJson(d, at, at)},
                                                   {"newText", IndentedHeader(d, span.first, header)}}})));
    }
    if (Wanted(r, kUpdateAllKind) && !edits.empty())
        actions.push_back(Action(d, r, "Update all headers in this file", std::string(kUpdateAllKind),
                                 editsJson(0, edits.size())));
    return actions;
}

}  // namespace qm
