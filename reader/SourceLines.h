// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

namespace qm {

// One line of a text: its content [begin, end) and its line end [end, next).
struct SourceLine {
    std::size_t begin, end, next;
};

// The lines of text, ended by CR LF, LF or a lone CR; a final line end adds no empty line, and
// a UTF-8 byte-order mark at the start is no part of the first line. Linear in the text.
std::vector<SourceLine> SplitSourceLines(std::string_view text);

}  // namespace qm
