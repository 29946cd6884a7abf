// SPDX-License-Identifier: MIT
#include "reader/HeaderSync.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/Text.h"
#include "reader/BlockRewrite.h"
#include "reader/CommentBlockReader.h"
#include "reader/CppCodeMap.h"
#include "reader/Declaration.h"
#include "reader/HeaderComparison.h"
#include "reader/SourceLines.h"
#include "reader/TextEncoding.h"

namespace qm {
namespace {

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Takes word and the blanks after it from the front of s, ignoring letter case; the word
// may end s.
bool TakeWord(std::string_view& s, std::string_view word) {
    if (s.size() < word.size() || !EqualsNoCase(s.substr(0, word.size()), word) ||
        (s.size() > word.size() && IsIdentifierChar(s[word.size()])))
        return false;
    s = TrimLeadingBlanks(s.substr(word.size()));
    return true;
}

// Whether word stands in text as a word of its own.
bool HasWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && IsIdentifierChar(text[at - 1]);
        const bool after = at + word.size() < text.size() && IsIdentifierChar(text[at + word.size()]);
        if (!before && !after) return true;
    }
    return false;
}

// A Visual Basic Sub, Function or Property heading; Declare statements are not procedures of
// the file and need no block.
bool IsVbProcedureStart(std::string_view s) {
    s = TrimLeadingBlanks(s);
    (void)(TakeWord(s, "Public") || TakeWord(s, "Private") || TakeWord(s, "Friend"));
    (void)TakeWord(s, "Static");
    if (TakeWord(s, "Sub") || TakeWord(s, "Function")) return !s.empty() && IsIdentifierChar(s[0]);
    return TakeWord(s, "Property") && (TakeWord(s, "Get") || TakeWord(s, "Let") || TakeWord(s, "Set"));
}

// Whether a C++ procedure wants a block of its own where it stands: not a friend, not deleted
// or defaulted, a constructor only under its class's name, and at namespace scope neither a
// member defined outside its class nor a definition some header may declare (only what is
// static, inline, a template or in an unnamed namespace is this file's own).
bool OwnsCppBlock(const ProcedureDescription& d, std::string_view text, CppCodeMap& map, std::size_t line) {
    if (d.name.find("::") != std::string::npos) return false;
    const std::string_view head = text.substr(0, text.find('('));
    const std::string_view rest = text.substr(std::min(text.rfind(')'), text.size()));
    if (HasWord(head, "friend") ||
        (rest.find('=') != std::string_view::npos && (HasWord(rest, "delete") || HasWord(rest, "default"))))
        return false;
    if (d.kind == ProcedureKind::Sub && d.returns.empty() && !HasWord(head, "void")) {
        const std::string_view owner = map.className(line);
        const std::string_view name = d.name.starts_with('~') ? std::string_view(d.name).substr(1) : d.name;
        return map.atClassScope(line) && !owner.empty() && name == owner;
    }
    if (map.atClassScope(line) || !text.ends_with('{')) return true;
    for (std::string_view word : {"static", "inline", "constexpr", "consteval", "template"})
        if (HasWord(head, word)) return true;
    return map.internal(line);
}

// "#If ... Then" with a branch per platform: the first line of code under each branch.
struct Conditional {
    std::size_t ifLine = 0;
    std::vector<std::size_t> heads;
    bool documented = false;
};

class FileSync {
public:
    FileSync(std::string_view text, DevelopmentLanguage language, const HeaderSyncOptions& options)
        : m_text(text),
          m_language(language),
          m_options(options),
          m_update(options.update ? &*options.update : nullptr),
          m_source(text, language) {}

    HeaderSyncResult run() {
        if (m_language != kVisualBasic && m_language != kVisualCpp) return {};
        if (m_update) prepareAddedText();
        if (m_language == kVisualBasic) findConditionals();
        std::vector<bool> documented(m_source.size());
        for (std::size_t i = 0; i < m_source.size();)
            i = m_source.isRule(i, '=') && isCode(i) ? block(i, documented) : i + 1;
        if (m_language == kVisualBasic && (m_options.missing || (m_update && m_update->addMissing)))
            findUndocumentedVb(documented);
        if (m_language == kVisualCpp && m_options.missing) findUndocumentedCpp(documented);
        std::stable_sort(m_result.findings.begin(), m_result.findings.end(),
                         [](const HeaderFinding& a, const HeaderFinding& b) { return a.line < b.line; });
        std::sort(m_result.edits.begin(), m_result.edits.end(),
                  [](const LineEdit& a, const LineEdit& b) { return a.first < b.first; });
        if (!m_encodingError.empty() && !m_result.edits.empty()) {
            m_result.error = m_encodingError;
            m_result.edits.clear();
            m_result.updated = m_result.added = 0;
            for (HeaderFinding& f : m_result.findings) f.fix = HeaderFinding::Fix::None;
        }
        return std::move(m_result);
    }

private:
    // A file that is not UTF-8 is Windows-1252, as the classic IDE writes it, so the text
    // added to it is written that way, and a character it cannot hold leaves the file alone.
    void prepareAddedText() {
        m_history = m_update->history;
        m_creationDate = FormatCommentDate(m_update->date);
        if (IsUtf8(m_text)) return;
        for (std::string* field : {&m_history.date, &m_history.developer, &m_history.note, &m_creationDate}) {
            std::string converted, unmappable;
            if (!ToWindows1252(*field, converted, unmappable)) {
                m_encodingError = "'" + unmappable +
                                  "' cannot be written in Windows-1252, this file's encoding (it is not "
                                  "UTF-8); left alone";
                return;
            }
            *field = std::move(converted);
        }
    }

    std::string_view content(std::size_t i) const { return m_source.content(i); }
    CppCodeMap& cppMap() {
        if (!m_cppMap) m_cppMap = std::make_unique<CppCodeMap>(m_source);
        return *m_cppMap;
    }
    bool isCode(std::size_t i) { return m_language != kVisualCpp || cppMap().isCode(i); }

    // The declaration's text from line first: a VB line and its continuations, or C++ up to
    // the ';' or the brace that ends its statement.
    std::string_view declarationText(std::size_t first) {
        if (m_language == kVisualBasic) return m_source.lines(first, m_source.vbStatementLast(first));
        const std::optional<CppCodeMap::Statement> s = cppMap().statementFrom(first);
        const std::size_t begin = m_source[first].begin;
        return m_text.substr(begin, (s ? s->end : m_source[first].end) - begin);
    }

    void report(std::size_t line, std::string message, HeaderFinding::Fix fix = HeaderFinding::Fix::None) {
        m_result.findings.push_back({line, std::move(message), fix});
    }
    void reportNoBlock(std::size_t line, std::string message,
                       HeaderFinding::Fix fix = HeaderFinding::Fix::None) {
        report(line, std::move(message), fix);
        m_result.findings.back().noBlock = true;
    }

    // Marks the lines of the declaration at line first, and its twins under an #If.
    void document(std::size_t first, std::string_view declaration, std::vector<bool>& documented) {
        const std::size_t end = m_source[first].begin + declaration.size();
        for (std::size_t k = first; k < m_source.size() && (k == first || m_source[k].begin < end); ++k)
            documented[k] = true;
        if (const auto g = m_groupOf.find(first); g != m_groupOf.end()) m_groups[g->second].documented = true;
    }

    // Checks the block opening at line open; returns the line to go on from.
    std::size_t block(std::size_t open, std::vector<bool>& documented) {
        if (!m_source.isHeading(open + 1)) return open + 1;
        std::size_t close = open + 1;
        while (close < m_source.size() && !m_source.isRule(close, '=')) ++close;
        // A rule followed by a heading opens the next block: this one lost its closing rule.
        if (m_source.isHeading(close + 1)) {
            report(open + 1, "cannot read the header block: it has no closing rule");
            return close;
        }
        const std::size_t end = std::min(close + 1, m_source.size());
        std::size_t code = close + 1;
        while (code < m_source.size() && code <= close + 3 && m_source.isPrefixOnly(code)) ++code;
        while (code < m_source.size() && m_source.isSkippable(code)) ++code;
        if (code < m_source.size() && m_source.isIgnoreRemark(code)) return end;
        // Above "#If ... Then" a block describes the first branch's declaration.
        if (const auto g = m_groupOf.find(code); g != m_groupOf.end() && m_groups[g->second].ifLine == code) {
            const Conditional& group = m_groups[g->second];
            code = group.heads.empty() ? m_source.size() : group.heads.front();
        }
        DeclarationResult declaration;
        if (code < m_source.size() && !m_source.isRule(code, '=')) {
            const std::string_view text = declarationText(code);
            declaration = ReadDeclaration(text, m_language);
            // A damaged block still documents its procedure, so --add-missing never doubles it.
            if (declaration) document(code, text, documented);
        }
        if (m_source.ignoredAbove(open)) return end;
        const std::string_view blockText =
            m_text.substr(m_source[open].begin, m_source[end - 1].next - m_source[open].begin);
        const CommentBlockResult read =
            ReadCommentBlock(blockText, declaration ? &*declaration.description : nullptr);
        if (!read) {
            report(open + read.errorLine,
                   "cannot read the header block: " + read.error.substr(read.error.find(": ") + 2));
            return close;
        }
        if (!declaration) {
            report(open + 1, "header block stands above no procedure declaration" +
                                 (declaration.error.empty() ? std::string() : ": " + declaration.error));
            return end;
        }
        std::string_view head = TrimLeadingBlanks(content(code));
        const bool accessStated =
            m_language == kVisualBasic ||
            ((TakeWord(head, "public") || TakeWord(head, "protected") || TakeWord(head, "private")) &&
             head.starts_with(':'));
        const HeaderComparison compared = CompareHeader(*read.description, *declaration.description,
                                                        m_language == kVisualBasic, accessStated);
        for (const std::string& message : compared.messages)
            report(code + 1, message, m_update ? HeaderFinding::Fix::Updated : HeaderFinding::Fix::None);
        if (m_update && !compared.messages.empty()) {
            std::vector<std::string_view> lines;
            for (std::size_t k = open; k < end; ++k) lines.push_back(m_source.withEnd(k));
            for (LineEdit& e : RewriteBlock(lines, open, read, compared, m_language, m_history,
                                            m_source.indent(open), m_source.lineEnd(open, "\r\n")))
                m_result.edits.push_back(std::move(e));
            ++m_result.updated;
        }
        return end;
    }

    // Remarks right above a procedure are a header of some kind, hand-written or damaged;
    // a second one is never stacked on them.
    bool underComment(std::size_t i) const {
        while (i > 0 && m_source.isSkippable(i - 1)) --i;
        std::string_view above = i > 0 ? TrimLeadingBlanks(content(i - 1)) : std::string_view();
        return above.starts_with('\'') || TakeWord(above, "Rem");
    }

    // Each "#If", "#ElseIf" and "#Else" with the first line of code after it.
    void findConditionals() {
        std::vector<std::size_t> open;
        bool branchStarts = false;
        for (std::size_t i = 0; i < m_source.size(); ++i) {
            std::string_view c = TrimLeadingBlanks(content(i));
            if (c.starts_with('#')) {
                c = TrimLeadingBlanks(c.substr(1));
                branchStarts = false;
                if (TakeWord(c, "If")) {
                    m_groupOf[i] = m_groups.size();
                    open.push_back(m_groups.size());
                    m_groups.push_back({i, {}, false});
                    branchStarts = true;
                } else if ((TakeWord(c, "ElseIf") || TakeWord(c, "Else")) && !open.empty()) {
                    branchStarts = true;
                } else if (TakeWord(c, "End") && TakeWord(c, "If") && !open.empty()) {
                    open.pop_back();
                }
                continue;
            }
            if (!branchStarts || c.empty() || c.starts_with('\'') || TakeWord(c, "Rem")) continue;
            m_groups[open.back()].heads.push_back(i);
            m_groupOf.emplace(i, open.back());
            branchStarts = false;
        }
    }

    void findUndocumentedVb(const std::vector<bool>& documented) {
        for (std::size_t i = 0; i < m_source.size(); ++i) {
            const std::string_view c = content(i);
            if ((i > 0 && ContinuesVbLine(content(i - 1))) || documented[i] || !IsVbProcedureStart(c))
                continue;
            // Twins under "#If" share one block, above the "#If".
            std::size_t anchor = i;
            if (const auto g = m_groupOf.find(i); g != m_groupOf.end()) {
                if (std::exchange(m_groups[g->second].documented, true)) continue;
                anchor = m_groups[g->second].ifLine;
            }
            if (m_source.ignoredAbove(i) || m_source.ignoredAbove(anchor)) continue;
            const DeclarationResult d = ReadDeclaration(declarationText(i), m_language);
            if (!d) {
                reportNoBlock(i + 1,
                              "procedure has no header block; its declaration cannot be read: " + d.error);
                continue;
            }
            const bool add = m_update && m_update->addMissing && !underComment(anchor);
            reportNoBlock(i + 1, ProcedureHeading(*d.description) + " has no header block",
                          add ? HeaderFinding::Fix::Added : HeaderFinding::Fix::None);
            if (!add) continue;
            const std::string built = BuildCommentBlock(
                *d.description, m_language, {{m_creationDate, m_history.developer, "Creation Date"}});
            m_result.edits.push_back(
                {anchor, 0, PlacedLines(built, m_source.indent(anchor), m_source.lineEnd(anchor, "\r\n"))});
            ++m_result.added;
        }
    }

    void findUndocumentedCpp(const std::vector<bool>& documented) {
        CppCodeMap& map = cppMap();
        for (std::size_t i = 0; i < m_source.size(); ++i) {
            if (documented[i] || !map.opensStatement(i) || m_source.ignoredAbove(i)) continue;
            const std::string_view text = declarationText(i);
            const DeclarationResult d = ReadDeclaration(text, m_language);
            if (d && OwnsCppBlock(*d.description, text, map, i))
                reportNoBlock(i + 1, ProcedureHeading(*d.description) + " has no header block");
        }
    }

    std::string_view m_text;
    DevelopmentLanguage m_language;
    const HeaderSyncOptions& m_options;
    const HeaderUpdate* m_update;
    SourceText m_source;
    std::unique_ptr<CppCodeMap> m_cppMap;  // made on first need
    std::vector<Conditional> m_groups;
    std::unordered_map<std::size_t, std::size_t> m_groupOf;  // "#If" lines and branch heads
    HistoryLine m_history;                                   // the update's, in the file's encoding
    std::string m_creationDate;
    std::string m_encodingError;
    HeaderSyncResult m_result;
};

}  // namespace

HeaderSyncResult SyncHeaders(std::string_view text, DevelopmentLanguage language,
                             const HeaderSyncOptions& options) {
    return FileSync(text, language, options).run();
}

std::string ApplyEdits(std::string_view text, const std::vector<LineEdit>& edits) {
    const std::vector<SourceLine> lines = SplitSourceLines(text);
    const auto begin = [&](std::size_t i) { return i < lines.size() ? lines[i].begin : text.size(); };
    std::string out;
    out.reserve(text.size() + edits.size() * 1024);
    std::size_t copied = 0;  // bytes of text taken over so far; a byte-order mark goes with the first line
    for (const LineEdit& e : edits) {
        out.append(text.substr(copied, begin(e.first) - copied));
        for (const std::string& line : e.lines) out += line;
        copied = begin(e.first + e.count);
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace qm
