// SPDX-License-Identifier: MIT
#include "settings/FreeTextBlock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Directories.h"
#include "platform/FileError.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const std::string kDouble(72, '=');
const std::string kSingle(72, '-');

std::size_t ScratchFilesIn(const std::string& dir) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().rfind("~qm", 0) == 0) ++n;
    return n;
}

TEST(BuildFreeTextBlock, FramesEachLineBehindThePrefix) {
    struct Row { std::string text; DevelopmentLanguage language; std::string block; };
    const Row rows[] = {
        {"Order module: shared routines.\r\nAll amounts are in cents.", 0,
         "'" + kDouble + "\r\n' Order module: shared routines.\r\n' All amounts are in cents.\r\n'" + kSingle + "\r\n"},
        {"Order module: shared routines.\r\nAll amounts are in cents.", 1,
         "//" + kDouble + "\r\n// Order module: shared routines.\r\n// All amounts are in cents.\r\n//" + kSingle + "\r\n"},
        {"a\r\n\r\nc", 0, "'" + kDouble + "\r\n' a\r\n' \r\n' c\r\n'" + kSingle + "\r\n"},
        {"x", 5, kDouble + "\r\n x\r\n" + kSingle + "\r\n"},
        // Empty text is still one line; so is a trailing break followed by nothing.
        {"", 0, "'" + kDouble + "\r\n' \r\n'" + kSingle + "\r\n"},
        {"a\r\n", 0, "'" + kDouble + "\r\n' a\r\n' \r\n'" + kSingle + "\r\n"},
        // A lone CR ends a line; a lone LF stays inside it.
        {"a\rb\nc", 0, "'" + kDouble + "\r\n' a\r\n' b\nc\r\n'" + kSingle + "\r\n"},
        {"漢字\r\né", 1, "//" + kDouble + "\r\n// 漢字\r\n// é\r\n//" + kSingle + "\r\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(BuildFreeTextBlock(r.text, r.language), r.block) << r.text;
}

TEST(BuildFreeTextBlock, ThreeTypedLinesGiveFiveLines) {
    const std::string block = BuildFreeTextBlock("one\r\ntwo\r\nthree", 0);
    std::size_t lines = 0;
    for (std::size_t p = 0; (p = block.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
    EXPECT_EQ(lines, 5u);
}

TEST(BuildFreeTextBlock, LeavesNoScratchFileBehind) {
    const std::string dir = TempDir();
    fs::create_directories(dir);
    for (int i = 0; i < 20; ++i) BuildFreeTextBlock("line " + std::to_string(i), i % 2);
    EXPECT_EQ(ScratchFilesIn(dir), 0u);
}

TEST(BuildFreeTextBlock, UnusableTempDirectoryFailsWithTheReason) {
    const std::string saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    const std::string missing = saved + "no-such-dir/";
    setenv("TMPDIR", missing.c_str(), 1);
    try {
        BuildFreeTextBlock("text", 0);
        ADD_FAILURE() << "expected a FileError";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("no-such-dir"), std::string::npos) << e.what();
    }
    setenv("TMPDIR", saved.c_str(), 1);
    if (!saved.empty()) {
        EXPECT_EQ(ScratchFilesIn(saved), 0u);
    }
}

TEST(BuildFreeTextBlock, LargeTextRoundTrips) {
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "line " + std::to_string(i) + "\r\n";
    text.resize(text.size() - 2);
    const std::string block = BuildFreeTextBlock(text, 1);
    EXPECT_EQ(block.rfind("// line 29999\r\n//" + kSingle + "\r\n"), block.size() - 15 - 76);
}

}  // namespace
}  // namespace qm
