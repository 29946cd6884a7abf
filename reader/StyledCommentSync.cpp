// SPDX-License-Identifier: MIT
#include "reader/StyledCommentSync.h"

#include <algorithm>
#include <memory>

#include "platform/Text.h"
#include "reader/CppCodeMap.h"
#include "reader/Declaration.h"
#include "reader/SourceLines.h"
#include "reader/StyledCommentReader.h"
#include "reader/StyledQuickCheck.h"
#include "reader/TextEncoding.h"

namespace qm {
namespace {

// Past this many line pairs a comment is one edit rather than a minimal one.
constexpr std::size_t kMaxDiffCells = 1u << 16;

class StyledSync {
public:
    StyledSync(std::string_view text, DevelopmentLanguage language, const CommentStyle& style,
               const StyledReport& report, bool update, std::vector<std::size_t>* documented)
        : m_text(text),
          m_language(language),
          m_style(style),
          m_report(report),
          m_update(update),
          m_documented(documented),
          m_source(text, language) {}

    HeaderSyncResult run() {
        for (std::size_t i = 0; i < m_source.size();) i = comment(i);
        return std::move(m_result);
    }

private:
    std::string_view content(std::size_t i) const { return m_source.content(i); }
    CppCodeMap& cppMap() {
        if (!m_cppMap) m_cppMap = std::make_unique<CppCodeMap>(m_source);
        return *m_cppMap;
    }

    // Checks the comment starting at line first, if one does; returns the line to go on from.
    std::size_t comment(std::size_t first) {
        const std::string_view head = TrimBlanks(content(first));
        if (head.empty() || (head[0] != '/' && head[0] != '\'')) return first + 1;
        const std::string_view found = LeadingStyledComment(m_text.substr(m_source[first].begin), m_style);
        if (found.empty()) return first + 1;
        std::size_t last = first;
        while (last + 1 < m_source.size() && m_source[last].next < m_source[first].begin + found.size())
            ++last;
        // Our own box, written in this remark syntax, is checked as the box.
        const std::string_view rule =
            TrimBlanks(head.substr(std::min(head.size(), RemarkPrefix(m_language).size())));
        if (rule.size() == kRuleLength && rule.find_first_not_of('=') == std::string_view::npos)
            return last + 1;
        // A comment that closes where code starts documents that code, which is not read here.
        const std::string_view closing = content(last);
        const std::size_t closer = closing.rfind("*/");
        if (closer != std::string_view::npos && !TrimBlanks(closing.substr(closer + 2)).empty())
            return last + 1;
        std::size_t code = last + 1;
        while (code < m_source.size() && m_source.isSkippable(code)) ++code;
        if (code >= m_source.size() || !StyledCommentOpener(content(code), m_style).empty() ||
            m_source.isIgnoreRemark(code))
            return code;
        const std::string_view declarationText = declaration(code);
        const std::string_view original = m_source.lines(first, last);
        // A lone CR ends a line of the file but not of the comment as it is read.
        for (std::size_t cr = original.find('\r'); cr != std::string_view::npos;
             cr = original.find('\r', cr + 1))
            if (cr + 1 == original.size() || original[cr + 1] != '\n') return last + 1;
        // A comment plainly in step has nothing to report wherever it stands.
        if (PlainlyInStep(original, declarationText, m_style, m_language, m_report.undocumented)) {
            if (m_documented) m_documented->push_back(code);
            return code;
        }
        if (m_language == kVisualCpp && !cppMap().isCode(first)) return last + 1;
        const DeclarationResult declared = ReadDeclaration(declarationText, m_language);
        if (!declared) return code;
        if (m_documented) m_documented->push_back(code);
        if (m_source.ignoredAbove(first)) return code;
        StyledComparison compared = CompareStyledComment(
            original, m_style, *declared.description,
            m_language == kVisualCpp ? TemplateParameterNames(declarationText) : std::vector<std::string>(),
            m_language == kVisualBasic, m_report);
        for (HeaderFinding& f : compared.findings) {
            if (!m_update) f.fix = HeaderFinding::Fix::None;
            f.line = code + 1;
            m_result.findings.push_back(std::move(f));
        }
        if (m_update && compared.updated != original) {
            const SourceText updated(compared.updated, m_language);
            std::vector<std::string> lines;
            for (std::size_t i = 0; i < updated.size(); ++i) lines.emplace_back(updated.withEnd(i));
            pushEdit(first, last + 1 - first, std::move(lines));
            ++m_result.updated;
        }
        return code;
    }

    // The declaration's text from line first: a VB line and its continuations, or C++ up to
    // the ';' or brace that ends its statement; never into the next comment of the style, so
    // that what an update writes there can never change how this declaration reads.
    std::string_view declaration(std::size_t first) {
        std::size_t end = 0;
        if (m_language == kVisualBasic) {
            end = m_source[m_source.vbStatementLast(first)].end;
        } else {
            const std::optional<CppCodeMap::Statement> s = cppMap().statementFrom(first);
            end = s ? s->end : m_source[first].end;
        }
        for (std::size_t next = first + 1; next < m_source.size() && m_source[next].begin < end; ++next)
            if (!StyledCommentOpener(content(next), m_style).empty()) end = m_source[next - 1].end;
        return m_text.substr(m_source[first].begin, end - m_source[first].begin);
    }

    // Lines [first, first + count) give way to lines, as edits of the lines that differ.
    void pushEdit(std::size_t first, std::size_t count, std::vector<std::string> lines) {
        const std::size_t n = count, m = lines.size();
        const auto old = [&](std::size_t i) { return m_source.withEnd(first + i); };
        if (n * m > kMaxDiffCells) {
            m_result.edits.push_back({first, count, std::move(lines)});
            return;
        }
        std::vector<std::uint32_t> common((n + 1) * (m + 1), 0);
        const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
            return common[i * (m + 1) + j];
        };
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = old(i) == lines[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        LineEdit pending{first, 0, {}};
        for (std::size_t i = 0, j = 0; i < n || j < m;) {
            if (i < n && j < m && old(i) == lines[j]) {
                if (pending.count > 0 || !pending.lines.empty()) m_result.edits.push_back(std::move(pending));
                pending = {first + ++i, 0, {}};
                ++j;
            } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
                pending.lines.push_back(std::move(lines[j++]));
            } else {
                ++pending.count;
                ++i;
            }
        }
        if (pending.count > 0 || !pending.lines.empty()) m_result.edits.push_back(std::move(pending));
    }

    std::string_view m_text;
    DevelopmentLanguage m_language;
    const CommentStyle& m_style;
    StyledReport m_report;
    bool m_update;
    std::vector<std::size_t>* m_documented;
    SourceText m_source;
    std::unique_ptr<CppCodeMap> m_cppMap;  // made on first need
    HeaderSyncResult m_result;
};

// Puts a comment of style above the Visual Basic procedure a "has no documentation comment"
// finding names, indented and ended like its line, unless a remark stands right above it.
void AddComment(const SourceText& source, HeaderFinding& f, const CommentStyle& style,
                const StyleOptions& options, const HeaderUpdate& update, HeaderSyncResult& result) {
    const std::size_t at = f.line - 1;
    std::size_t above = at;
    while (above > 0 && TrimBlanks(source.content(above - 1)).empty()) --above;
    const std::string_view remark = above > 0 ? TrimBlanks(source.content(above - 1)) : std::string_view();
    if (remark.starts_with('\'') || (remark.size() > 3 && EqualsNoCase(remark.substr(0, 4), "Rem "))) return;
    const DeclarationResult declared =
        ReadDeclaration(source.lines(at, source.vbStatementLast(at)), kVisualBasic);
    if (!declared) return;
    StyledDescription d{*declared.description, {}, false};
    d.returnsValue = d.procedure.kind == ProcedureKind::Function || !d.procedure.returns.empty();
    d.procedure.returns.clear();
    std::string built =
        BuildStyledComment(d, style, kVisualBasic, options, update.history.developer, update.date);
    // A file that is not UTF-8 is Windows-1252, as the classic IDE writes it.
    std::string converted, unmappable;
    if (!IsUtf8(source.text())) {
        if (!ToWindows1252(built, converted, unmappable)) return;
        built = std::move(converted);
    }
    result.edits.push_back({at, 0, PlacedLines(built, source.indent(at), source.lineEnd(at, "\r\n"))});
    ++result.added;
    f.fix = HeaderFinding::Fix::Added;
}

// a and b's findings in line order and their edits, which never overlap, in line order.
HeaderSyncResult Merge(HeaderSyncResult a, HeaderSyncResult b) {
    a.findings.insert(a.findings.end(), std::make_move_iterator(b.findings.begin()),
                      std::make_move_iterator(b.findings.end()));
    std::stable_sort(a.findings.begin(), a.findings.end(),
                     [](const HeaderFinding& x, const HeaderFinding& y) { return x.line < y.line; });
    a.edits.insert(a.edits.end(), std::make_move_iterator(b.edits.begin()),
                   std::make_move_iterator(b.edits.end()));
    std::stable_sort(a.edits.begin(), a.edits.end(),
                     [](const LineEdit& x, const LineEdit& y) { return x.first < y.first; });
    a.updated += b.updated;
    a.added += b.added;
    return a;
}

}  // namespace

HeaderSyncResult SyncStyledComments(std::string_view text, DevelopmentLanguage language,
                                    const CommentStyle& style, const StyledReport& report, bool update,
                                    std::vector<std::size_t>* documented) {
    if ((language != kVisualBasic && language != kVisualCpp) || !StyleServes(style, language) ||
        style.syntax == TagSyntax::Box)
        return {};
    return StyledSync(text, language, style, report, update, documented).run();
}

HeaderSyncResult SyncHouseStyle(std::string_view text, DevelopmentLanguage language,
                                const CommentStyle& style, const StyleOptions& options,
                                const StyledReport& report, const HeaderSyncOptions& sync) {
    const bool styled = style.syntax != TagSyntax::Box && StyleServes(style, language);
    HeaderSyncOptions boxSync = sync;
    if (styled && boxSync.update) boxSync.update->addMissing = false;
    // The box's sync reads a file with no rule in it only to find procedures without a block.
    HeaderSyncResult result;
    if (!styled || boxSync.missing || text.find(std::string(kRuleLength, '=')) != std::string_view::npos)
        result = SyncHeaders(text, language, boxSync);
    if (options.trim)
        for (LineEdit& e : result.edits)
            for (std::string& line : e.lines) {
                std::size_t end = line.size(), kept;
                while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
                for (kept = end; kept > 0 && (line[kept - 1] == ' ' || line[kept - 1] == '\t');) --kept;
                line.erase(kept, end - kept);
            }
    if (!styled) return result;
    std::vector<std::size_t> documented;
    HeaderSyncResult own =
        SyncStyledComments(text, language, style, report, sync.update.has_value(), &documented);
    std::sort(documented.begin(), documented.end());
    std::optional<SourceText> source;  // split on first need
    std::vector<HeaderFinding> findings;
    for (HeaderFinding& f : result.findings) {
        // A procedure without a box may have a comment of the style.
        constexpr std::string_view kNoBlock = " has no header block";
        if (f.noBlock && std::binary_search(documented.begin(), documented.end(), f.line - 1)) continue;
        if (f.noBlock && f.message.ends_with(kNoBlock))
            f.message.replace(f.message.size() - kNoBlock.size(), kNoBlock.size(),
                              " has no documentation comment");
        if (f.noBlock && sync.update && sync.update->addMissing && language == kVisualBasic) {
            if (!source) source.emplace(text, language);
            AddComment(*source, f, style, options, *sync.update, own);
        }
        findings.push_back(std::move(f));
    }
    result.findings = std::move(findings);
    return Merge(std::move(result), std::move(own));
}

std::optional<std::size_t> StyledCommentAbove(std::string_view text, DevelopmentLanguage language,
                                              const CommentStyle& style, std::size_t first,
                                              std::size_t last) {
    std::vector<std::size_t> documented;
    SyncStyledComments(text, language, style, {}, false, &documented);
    for (std::size_t d : documented)
        if (d >= first && d <= last) return d;
    return std::nullopt;
}

}  // namespace qm
