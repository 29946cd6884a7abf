// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace qm {

// text between quote characters for a one-line message: control characters become '?',
// and anything past 40 characters is cut to "...".
inline std::string QuoteForMessage(std::string_view text, char quote) {
    constexpr std::size_t kMaxShown = 40;
    const std::string_view shown = CharPrefix(text, kMaxShown);
    std::string out(1, quote);
    for (char c : shown) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    if (shown.size() < text.size()) out += "...";
    out += quote;
    return out;
}

}  // namespace qm
