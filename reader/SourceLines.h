// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// One line of a text: its content [begin, end) and its line end [end, next).
struct SourceLine {
    std::size_t begin, end, next;
};

// The lines of text, ended by CR LF, LF or a lone CR; a final line end adds no empty line, and
// a UTF-8 byte-order mark at the start is no part of the first line. Linear in the text.
std::vector<SourceLine> SplitSourceLines(std::string_view text);

// The lines of text the builder wrote (each ended by CR LF), with indent before each and
// lineEnd after it, as they go into a file.
std::vector<std::string> PlacedLines(std::string_view built, std::string_view indent,
                                     std::string_view lineEnd);

// Whether a Visual Basic line goes on on the next: it ends in "_" after a blank or alone,
// blanks after it aside.
bool ContinuesVbLine(std::string_view content);

// A source file's text and its lines, with what the readers ask of a line: whether it is one
// of the remark lines our blocks are made of, blank, or a remark saying "qmark: ignore".
class SourceText {
public:
    SourceText(std::string_view text, DevelopmentLanguage language);

    std::string_view text() const { return m_text; }
    DevelopmentLanguage language() const { return m_language; }
    std::size_t size() const { return m_lines.size(); }
    const SourceLine& operator[](std::size_t i) const { return m_lines[i]; }

    std::string_view content(std::size_t i) const {
        return m_text.substr(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }
    std::string_view withEnd(std::size_t i) const {
        return m_text.substr(m_lines[i].begin, m_lines[i].next - m_lines[i].begin);
    }
    // Lines first to last, the last one's end included.
    std::string_view lines(std::size_t first, std::size_t last) const {
        return m_text.substr(m_lines[first].begin, m_lines[last].next - m_lines[first].begin);
    }
    std::string_view indent(std::size_t i) const;
    // How line i ends; the last line, when it has no end, follows the first, else otherwise.
    std::string_view lineEnd(std::size_t i, std::string_view otherwise) const;
    // The last line of the Visual Basic statement line first starts: the lines its " _" go on to.
    std::size_t vbStatementLast(std::size_t first) const;

    // The line behind its remark prefix ("'" or "//", blanks before it dropped); false when it
    // has none.
    bool behindPrefix(std::size_t i, std::string_view& rest) const;
    // The prefix and 72 of c: one of our blocks' rules.
    bool isRule(std::size_t i, char c) const;
    bool isPrefixOnly(std::size_t i) const;
    // "Public Function Name" behind the prefix: the heading of one of our blocks, never the
    // first line of a free-text block.
    bool isHeading(std::size_t i) const;
    // Blank, or a Visual Basic Attribute line: what may stand between a comment and its procedure.
    bool isSkippable(std::size_t i) const;
    bool isIgnoreRemark(std::size_t i) const;
    // The nearest line with text above line i says "qmark: ignore".
    bool ignoredAbove(std::size_t i) const;

private:
    std::string_view m_text;
    DevelopmentLanguage m_language;
    std::string_view m_prefix;
    std::vector<SourceLine> m_lines;
};

}  // namespace qm
