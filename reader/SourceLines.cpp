// SPDX-License-Identifier: MIT
#include "reader/SourceLines.h"

#include <algorithm>

#include "platform/Text.h"
#include "reader/CommentBlockReader.h"

namespace qm {

std::vector<SourceLine> SplitSourceLines(std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::vector<SourceLine> lines;
    lines.reserve(text.size() / 32 + 1);
    // Without a CR anywhere each line costs one search for its LF.
    const bool anyCr = text.find('\r') != std::string_view::npos;
    for (std::size_t begin = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
         begin < text.size();) {
        const std::size_t nl = std::min(text.find('\n', begin), text.size());
        std::size_t end = nl, next = std::min(nl + 1, text.size());
        if (anyCr) {
            const std::size_t cr = text.substr(begin, nl - begin).find('\r');
            if (cr != std::string_view::npos) end = begin + cr;
            if (cr != std::string_view::npos && end + 1 < nl) next = end + 1;  // a lone CR
        }
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

std::vector<std::string> PlacedLines(std::string_view built, std::string_view indent,
                                     std::string_view lineEnd) {
    std::vector<std::string> out;
    for (std::size_t from = 0; from < built.size();) {
        const std::size_t end = std::min(built.find("\r\n", from), built.size());
        out.push_back(std::string(indent).append(built.substr(from, end - from)).append(lineEnd));
        from = end + 2;
    }
    return out;
}

bool ContinuesVbLine(std::string_view content) {
    content = TrimTrailingBlanks(content);
    return content.ends_with('_') &&
           (content.size() == 1 || content[content.size() - 2] == ' ' || content[content.size() - 2] == '\t');
}

SourceText::SourceText(std::string_view text, DevelopmentLanguage language)
    : m_text(text), m_language(language), m_prefix(RemarkPrefix(language)), m_lines(SplitSourceLines(text)) {}

std::string_view SourceText::indent(std::size_t i) const {
    const std::string_view c = content(i);
    return c.substr(0, c.size() - TrimLeadingBlanks(c).size());
}

std::string_view SourceText::lineEnd(std::size_t i, std::string_view otherwise) const {
    for (const std::size_t k : {i, std::size_t{0}})
        if (m_lines[k].next > m_lines[k].end)
            return m_text.substr(m_lines[k].end, m_lines[k].next - m_lines[k].end);
    return otherwise;
}

std::size_t SourceText::vbStatementLast(std::size_t first) const {
    std::size_t last = first;
    while (last + 1 < m_lines.size() && ContinuesVbLine(content(last))) ++last;
    return last;
}

bool SourceText::behindPrefix(std::size_t i, std::string_view& rest) const {
    rest = TrimBlanks(content(i));
    if (m_prefix.empty() || !rest.starts_with(m_prefix)) return false;
    rest.remove_prefix(m_prefix.size());
    return true;
}

bool SourceText::isRule(std::size_t i, char c) const {
    std::string_view rest;
    return behindPrefix(i, rest) && rest.size() == kRuleLength &&
           rest.find_first_not_of(c) == std::string_view::npos;
}

bool SourceText::isPrefixOnly(std::size_t i) const {
    std::string_view rest;
    return behindPrefix(i, rest) && TrimBlanks(rest).empty();
}

bool SourceText::isHeading(std::size_t i) const {
    std::string_view rest;
    ProcedureDescription heading;
    return i < m_lines.size() && behindPrefix(i, rest) && ReadBlockHeading(TrimBlanks(rest), heading);
}

bool SourceText::isSkippable(std::size_t i) const {
    const std::string_view c = TrimBlanks(content(i));
    constexpr std::string_view kAttribute = "Attribute";
    return c.empty() || (m_language == kVisualBasic && c.size() > kAttribute.size() &&
                         EqualsNoCase(c.substr(0, kAttribute.size()), kAttribute) &&
                         (c[kAttribute.size()] == ' ' || c[kAttribute.size()] == '\t'));
}

bool SourceText::isIgnoreRemark(std::size_t i) const {
    std::string_view rest;
    return behindPrefix(i, rest) && EqualsNoCase(TrimBlanks(rest), "qmark: ignore");
}

bool SourceText::ignoredAbove(std::size_t i) const {
    while (i > 0 && TrimBlanks(content(i - 1)).empty()) --i;
    return i > 0 && isIgnoreRemark(i - 1);
}

}  // namespace qm
