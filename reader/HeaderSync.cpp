// SPDX-License-Identifier: MIT
#include "reader/HeaderSync.h"

#include <algorithm>
#include <cstdint>

#include "platform/Text.h"
#include "reader/CommentBlockReader.h"
#include "reader/Declaration.h"
#include "reader/HeaderComparison.h"

namespace qm {
namespace {

// A declaration longer than this is not looked for further, so junk cannot make a scan quadratic.
constexpr std::size_t kMaxDeclarationLines = 64;
// Past this many line pairs a rewritten block is one edit rather than a minimal one.
constexpr std::size_t kMaxDiffCells = 1u << 20;

struct Line {
    std::size_t begin, end, next;  // content [begin, end), line end [end, next)
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    lines.reserve(text.size() / 32 + 1);
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t nl = text.find('\n', begin);
        const std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        if (nl == std::string_view::npos) nl = text.size();
        const std::size_t end = nl > begin && text[nl - 1] == '\r' ? nl - 1 : nl;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Takes word and the blanks after it from the front of s, ignoring letter case.
bool TakeWord(std::string_view& s, std::string_view word) {
    if (s.size() <= word.size() || !EqualsNoCase(s.substr(0, word.size()), word) ||
        IsIdentifierChar(s[word.size()]))
        return false;
    s = TrimLeft(s.substr(word.size()));
    return true;
}

// A Visual Basic Sub, Function or Property heading; Declare statements are not procedures of
// the file and need no block.
bool IsVbProcedureStart(std::string_view s) {
    s = TrimLeft(s);
    (void)(TakeWord(s, "Public") || TakeWord(s, "Private") || TakeWord(s, "Friend"));
    (void)TakeWord(s, "Static");
    if (TakeWord(s, "Sub") || TakeWord(s, "Function")) return !s.empty() && IsIdentifierChar(s[0]);
    return TakeWord(s, "Property") && (TakeWord(s, "Get") || TakeWord(s, "Let") || TakeWord(s, "Set"));
}

class FileSync {
public:
    FileSync(std::string_view text, DevelopmentLanguage language, const HeaderUpdate* update)
        : m_text(text),
          m_language(language),
          m_update(update),
          m_prefix(RemarkPrefix(language)),
          m_lines(SplitLines(text)) {}

    HeaderSyncResult run() {
        if (m_language != kVisualBasic && m_language != kVisualCpp) return {};
        std::vector<bool> documented(m_lines.size());
        for (std::size_t i = 0; i < m_lines.size();) i = isRule(i, '=') ? block(i, documented) : i + 1;
        if (m_language == kVisualBasic) findUndocumented(documented);
        std::stable_sort(m_result.findings.begin(), m_result.findings.end(),
                         [](const HeaderFinding& a, const HeaderFinding& b) { return a.line < b.line; });
        std::sort(m_result.edits.begin(), m_result.edits.end(),
                  [](const LineEdit& a, const LineEdit& b) { return a.first < b.first; });
        return std::move(m_result);
    }

private:
    std::string_view content(std::size_t i) const {
        return m_text.substr(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }
    std::string_view lineEnd(std::size_t i) const {
        const std::string_view end = m_text.substr(m_lines[i].end, m_lines[i].next - m_lines[i].end);
        if (!end.empty() || i == 0) return end.empty() ? std::string_view("\r\n") : end;
        return lineEnd(0);  // the last line has none: follow the file
    }
    std::string_view indent(std::size_t i) const {
        const std::string_view c = content(i);
        return c.substr(0, c.size() - TrimLeft(c).size());
    }
    // The line behind its remark prefix; false when it has none.
    bool behindPrefix(std::size_t i, std::string_view& rest) const {
        rest = TrimLeft(content(i));
        if (rest.substr(0, m_prefix.size()) != m_prefix) return false;
        rest.remove_prefix(m_prefix.size());
        return true;
    }
    bool isRule(std::size_t i, char c) const {
        std::string_view rest;
        if (!behindPrefix(i, rest)) return false;
        while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
        return rest.size() == kRuleLength && rest.find_first_not_of(c) == std::string_view::npos;
    }
    // Access and kind words, so a free-text block's first line is never taken for ours.
    bool isHeading(std::size_t i) const {
        std::string_view rest;
        if (i >= m_lines.size() || !behindPrefix(i, rest)) return false;
        rest = TrimLeft(rest);
        for (std::string_view access : {"Public ", "Private ", "Protected ", "Friend "}) {
            if (!rest.starts_with(access)) continue;
            rest.remove_prefix(access.size());
            for (std::string_view kind : {"Sub", "Function", "Property"})
                if (rest.starts_with(kind) && (rest.size() == kind.size() || rest[kind.size()] == ' '))
                    return true;
        }
        return false;
    }
    bool isPrefixOnly(std::size_t i) const {
        std::string_view rest;
        return behindPrefix(i, rest) && Trim(rest).empty();
    }
    bool isSkippable(std::size_t i) const {
        std::string_view c = TrimLeft(content(i));
        return c.empty() || (m_language == kVisualBasic && TakeWord(c, "Attribute"));
    }

    // The declaration's text from line first: a VB line and its continuations, or C++ up to
    // its body or ';'; the reader stops there anyway, this only bounds what it is handed.
    std::string_view declarationText(std::size_t first) const {
        std::size_t last = first;
        if (m_language == kVisualBasic) {
            while (last + 1 < m_lines.size() && last - first < kMaxDeclarationLines &&
                   Trim(content(last)).ends_with(" _"))
                ++last;
            return m_text.substr(m_lines[first].begin, m_lines[last].end - m_lines[first].begin);
        }
        const std::size_t limit = m_lines[std::min(m_lines.size() - 1, first + kMaxDeclarationLines)].next;
        int depth = 0;
        for (std::size_t at = m_lines[first].begin; at < limit; ++at) {
            const char c = m_text[at];
            if (c == '/' && at + 1 < limit && m_text[at + 1] == '/') {
                at = m_text.find('\n', at);
                if (at == std::string_view::npos) break;
            } else if (c == '/' && at + 1 < limit && m_text[at + 1] == '*') {
                at = m_text.find("*/", at + 2);
                if (at == std::string_view::npos) break;
                ++at;
            } else if (c == '"' || c == '\'') {
                while (++at < limit && m_text[at] != c && m_text[at] != '\n')
                    if (m_text[at] == '\\') ++at;
            } else if (c == '(' || c == '[') {
                ++depth;
            } else if ((c == ')' || c == ']') && depth > 0) {
                --depth;
            } else if ((c == ';' || c == '{') && depth == 0) {
                return m_text.substr(m_lines[first].begin, at + 1 - m_lines[first].begin);
            }
        }
        return m_text.substr(m_lines[first].begin, std::min(limit, m_text.size()) - m_lines[first].begin);
    }

    void report(std::size_t line, std::string message, HeaderFinding::Fix fix = HeaderFinding::Fix::None) {
        m_result.findings.push_back({line, std::move(message), fix});
    }

    // Checks the block opening at line open; returns the line to go on from.
    std::size_t block(std::size_t open, std::vector<bool>& documented) {
        if (!isHeading(open + 1)) return open + 1;
        std::size_t close = open + 1;
        while (close < m_lines.size() && !isRule(close, '=')) ++close;
        // A rule followed by a heading opens the next block: this one lost its closing rule.
        if (isHeading(close + 1)) {
            report(open + 1, "cannot read the header block: it has no closing rule");
            return close;
        }
        const std::size_t end = std::min(close + 1, m_lines.size());
        const std::string_view blockText =
            m_text.substr(m_lines[open].begin, m_lines[end - 1].next - m_lines[open].begin);
        std::size_t code = close + 1;
        while (code < m_lines.size() && code <= close + 3 && isPrefixOnly(code)) ++code;
        while (code < m_lines.size() && isSkippable(code)) ++code;
        DeclarationResult declaration;
        if (code < m_lines.size() && !isRule(code, '='))
            declaration = ReadDeclaration(declarationText(code), m_language);
        // A damaged block still documents its procedure, so --add-missing never doubles it.
        if (declaration) documented[code] = true;
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
            return close + 1;
        }
        std::string_view head = TrimLeft(content(code));
        const bool accessStated =
            m_language == kVisualBasic ||
            ((TakeWord(head, "public") || TakeWord(head, "protected") || TakeWord(head, "private")) &&
             head.starts_with(':'));
        const HeaderComparison compared = CompareHeader(*read.description, *declaration.description,
                                                        m_language == kVisualBasic, accessStated);
        for (const std::string& message : compared.messages)
            report(code + 1, message, m_update ? HeaderFinding::Fix::Updated : HeaderFinding::Fix::None);
        if (m_update && !compared.messages.empty()) {
            std::vector<HistoryLine> history = read.history;
            history.push_back(m_update->history);
            const std::string built = BuildCommentBlock(compared.merged, m_language, history);
            pushEdit(open, close + 1 - open, blockLines(built, open, 3, open));
            ++m_result.updated;
        }
        return close + 1;
    }

    // Lines that stay the same are left out of the edits, so a diff shows only what changed;
    // a block is short, so a plain longest-common-subsequence table is cheap.
    void pushEdit(std::size_t first, std::size_t count, std::vector<std::string> lines) {
        const std::size_t n = count, m = lines.size();
        if (n * m > kMaxDiffCells) {
            m_result.edits.push_back({first, count, std::move(lines)});
            return;
        }
        const auto old = [&](std::size_t i) {
            return m_text.substr(m_lines[first + i].begin,
                                 m_lines[first + i].next - m_lines[first + i].begin);
        };
        std::vector<std::uint32_t> common((n + 1) * (m + 1), 0);
        const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
            return common[i * (m + 1) + j];
        };
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = old(i) == lines[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        LineEdit pending{first, 0, {}};
        const auto flush = [&](std::size_t next) {
            if (pending.count > 0 || !pending.lines.empty()) m_result.edits.push_back(std::move(pending));
            pending = {first + next, 0, {}};
        };
        for (std::size_t i = 0, j = 0; i < n || j < m;) {
            if (i < n && j < m && old(i) == lines[j]) {
                flush(++i);
                ++j;
            } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
                pending.lines.push_back(std::move(lines[j++]));
            } else {
                ++pending.count;
                ++i;
            }
        }
        flush(n);
    }

    // The builder's lines, less the last drop, with this file's indent and line end.
    std::vector<std::string> blockLines(const std::string& built, std::size_t indentFrom, std::size_t drop,
                                        std::size_t endFrom) const {
        std::vector<std::string> out;
        for (std::size_t at = 0; at < built.size();) {
            const std::size_t end = built.find("\r\n", at);
            out.push_back(std::string(indent(indentFrom)) + built.substr(at, end - at) +
                          std::string(lineEnd(endFrom)));
            at = end + 2;
        }
        out.resize(out.size() - drop);
        return out;
    }

    // Remarks right above a procedure are a header of some kind, hand-written or damaged;
    // a second one is never stacked on them.
    bool underComment(std::size_t i) const {
        while (i > 0 && isSkippable(i - 1)) --i;
        std::string_view above = i > 0 ? TrimLeft(content(i - 1)) : std::string_view();
        return above.starts_with('\'') || TakeWord(above, "Rem");
    }

    void findUndocumented(const std::vector<bool>& documented) {
        bool continued = false;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            const std::string_view c = content(i);
            const bool wasContinued = continued;
            continued = Trim(c).ends_with(" _");
            if (wasContinued || documented[i] || !IsVbProcedureStart(c)) continue;
            const DeclarationResult d = ReadDeclaration(declarationText(i), m_language);
            if (!d) {
                report(i + 1, "procedure has no header block; its declaration cannot be read: " + d.error);
                continue;
            }
            const bool add = m_update && m_update->addMissing && !underComment(i);
            report(i + 1, ProcedureHeading(*d.description) + " has no header block",
                   add ? HeaderFinding::Fix::Added : HeaderFinding::Fix::None);
            if (!add) continue;
            const std::string built =
                BuildCommentBlock(*d.description, m_language, m_update->history.developer, m_update->date);
            m_result.edits.push_back({i, 0, blockLines(built, i, 0, i)});
            ++m_result.added;
        }
    }

    std::string_view m_text;
    DevelopmentLanguage m_language;
    const HeaderUpdate* m_update;
    std::string_view m_prefix;
    std::vector<Line> m_lines;
    HeaderSyncResult m_result;
};

}  // namespace

HeaderSyncResult SyncHeaders(std::string_view text, DevelopmentLanguage language,
                             const HeaderUpdate* update) {
    return FileSync(text, language, update).run();
}

std::string ApplyEdits(std::string_view text, const std::vector<LineEdit>& edits) {
    const std::vector<Line> lines = SplitLines(text);
    const auto begin = [&](std::size_t i) { return i < lines.size() ? lines[i].begin : text.size(); };
    std::string out;
    out.reserve(text.size() + edits.size() * 1024);
    std::size_t done = 0;
    for (const LineEdit& e : edits) {
        out.append(text.substr(begin(done), begin(e.first) - begin(done)));
        for (const std::string& line : e.lines) out += line;
        done = e.first + e.count;
    }
    out.append(text.substr(begin(done)));
    return out;
}

}  // namespace qm
