// SPDX-License-Identifier: MIT
#include "server/TextPositions.h"

#include <algorithm>

#include "platform/Text.h"

namespace qm {

LineIndex::LineIndex(std::string_view text) : m_starts{0} {
    m_starts.reserve(text.size() / 32 + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r') continue;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        m_starts.push_back(i + 1);
    }
}

std::size_t LineIndex::contentEnd(std::string_view text, std::size_t line) const {
    std::size_t end = line + 1 < m_starts.size() ? m_starts[line + 1] : text.size();
    if (end > m_starts[line] && text[end - 1] == '\n') --end;
    if (end > m_starts[line] && text[end - 1] == '\r') --end;
    return end;
}

std::size_t LineIndex::offsetOf(std::string_view text, Position p) const {
    if (p.line >= m_starts.size()) return text.size();
    const std::size_t end = contentEnd(text, p.line);
    std::size_t at = m_starts[p.line];
    for (std::size_t units = 0; at < end && units < p.character;) {
        const std::size_t length = SequenceLength(text, at);
        // A position inside a surrogate pair is the character's start.
        if (length == 4 && units + 1 == p.character) break;
        units += length == 4 ? 2 : 1;
        at += length;
    }
    return at;
}

Position LineIndex::positionOf(std::string_view text, std::size_t offset) const {
    offset = std::min(offset, text.size());
    const std::size_t line =
        std::upper_bound(m_starts.begin(), m_starts.end(), offset) - m_starts.begin() - 1;
    Position p{line, 0};
    for (std::size_t at = m_starts[line]; at < offset;) {
        const std::size_t length = SequenceLength(text, at);
        p.character += length == 4 ? 2 : 1;
        at += length;
    }
    return p;
}

}  // namespace qm
