// SPDX-License-Identifier: MIT
#include "generator/FreeTextFrame.h"

namespace qm {
namespace {}  // namespace

std::string FrameFreeText(std::string_view text, DevelopmentLanguage language) {
    const std::string_view prefix = RemarkPrefix(language);
    std::string out;
    // Each line gains the prefix, a blank and maybe a LF; lines of a dozen characters or more
    // fit without a reallocation.
    out.reserve(text.size() + text.size() / 4 + 2 * (kRuleLength + 4));
    out += prefix;
    out.append(kRuleLength, '=');
    out += "\r\n";
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        const std::size_t cr = text.find('\r', start);
        const std::size_t end = (cr == std::string_view::npos) ? n : cr;
        out += prefix;
        out += ' ';
        out.append(text, start, end - start);
        out += "\r\n";
        if (cr == std::string_view::npos) break;
        start = cr + 1;
        if (start < n && text[start] == '\n') ++start;
    }
    out += prefix;
    out.append(kRuleLength, '-');
    out += "\r\n";
    return out;
}

}  // namespace qm
