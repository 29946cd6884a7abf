// SPDX-License-Identifier: MIT
#include "reader/SourceLines.h"

#include <algorithm>

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

}  // namespace qm
