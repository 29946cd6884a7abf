// SPDX-License-Identifier: MIT
#include "generator/FreeTextFrame.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

const std::string kDouble(72, '=');
const std::string kSingle(72, '-');

TEST(FrameFreeText, FramesEachLineBehindThePrefix) {
    const struct {
        std::string text;
        DevelopmentLanguage language;
        std::string block;
    } rows[] = {
        {"Order module: shared routines.\r\nAll amounts are in cents.\r\n", 0,
         "'" + kDouble + "\r\n' Order module: shared routines.\r\n' All amounts are in cents.\r\n'" +
             kSingle + "\r\n"},
        {"one\r\n\r\nthree", 1, "//" + kDouble + "\r\n// one\r\n// \r\n// three\r\n//" + kSingle + "\r\n"},
        {"x", 5, kDouble + "\r\n x\r\n" + kSingle + "\r\n"},
        {"", 0, "'" + kDouble + "\r\n'" + kSingle + "\r\n"},
        // A lone CR ends a line; a lone LF stays inside it.
        {"a\rb\nc", 0, "'" + kDouble + "\r\n' a\r\n' b\nc\r\n'" + kSingle + "\r\n"},
        {"漢字\r\né", 1, "//" + kDouble + "\r\n// 漢字\r\n// é\r\n//" + kSingle + "\r\n"},
    };
    for (const auto& r : rows) EXPECT_EQ(FrameFreeText(r.text, r.language), r.block) << r.text;
}

}  // namespace
}  // namespace qm
