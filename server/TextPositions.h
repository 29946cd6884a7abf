// SPDX-License-Identifier: MIT
// Positions as the protocol counts them: lines from 0, characters in UTF-16 code units.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

namespace qm {

struct Position {
    std::size_t line = 0;
    std::size_t character = 0;  // UTF-16 code units from the line's start
};

// Where each line of a text starts. A line ends at LF, CR LF or a lone CR, so a text ending in
// a line break has an empty last line. Characters are counted in UTF-8 sequences; an invalid
// byte counts as one unit, a character beyond the BMP as two.
class LineIndex {
public:
    LineIndex() : m_starts{0} {}
    explicit LineIndex(std::string_view text);

    std::size_t lineCount() const { return m_starts.size(); }
    // The byte offset of p in text, which the index was made from: a character past its
    // line's content is the content's end, a line past the last is the text's end.
    std::size_t offsetOf(std::string_view text, Position p) const;
    // The position of the byte at offset (at most text's size).
    Position positionOf(std::string_view text, std::size_t offset) const;
    // Where line's content ends, before its line break.
    std::size_t contentEnd(std::string_view text, std::size_t line) const;
    std::size_t lineStart(std::size_t line) const { return m_starts[line]; }

private:
    std::vector<std::size_t> m_starts;
};

}  // namespace qm
