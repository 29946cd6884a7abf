// SPDX-License-Identifier: MIT
#include "settings/HouseStyle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace qm {
namespace {

namespace fs = std::filesystem;

// What a style says, in one line; or its error.
std::string Summary(const HouseStyleResult& r) {
    if (!r.style) return r.error;
    const HouseStyle& s = *r.style;
    std::string out = std::string(s.cpp->name) + " " + std::string(s.vb->name) + " '" + s.options.opener +
                      "' " + s.options.tag + " " + std::to_string(s.options.brief) +
                      std::to_string(s.options.history) + std::to_string(s.options.trim) + " " +
                      std::to_string(s.missing) + std::to_string(s.undocumented) + std::to_string(s.order);
    for (const std::string& i : s.ignore) out += " " + i;
    return out;
}

TEST(ParseHouseStyle, KeysAndWhatIsWrongWithThem) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"", "box box '' @ 100 000"},
        {"\xEF\xBB\xBF; team style\r\n[Style]\r\nCPP = "
         "Doxygen\r\nvb=vbtags\r\nopener=///\r\ntag=\\\r\nbrief=no\r\n"
         "history=Yes\r\ntrim=on\r\n# checks\r\n[check]\r\nmissing=1\r\nundocumented=true\r\norder=yes\r\n"
         "ignore=third_party/*, *.pb.h  gen\r\n",
         "doxygen vbtags '///' \\ 011 111 third_party/* *.pb.h gen"},
        {"[style]\ncpp=xmldoc\nvb=xmldoc\ncpp=doxygen", "xmldoc xmldoc '' @ 100 000"},
        {"[style]\ncpp=vbtags", "q/.quillmark:2: no C++ style 'vbtags' (use box, doxygen or xmldoc)"},
        {"[style]\n\nvb=doxygen",
         "q/.quillmark:3: no Visual Basic style 'doxygen' (use box, xmldoc or vbtags)"},
        {"[style]\nbrief=maybe", "q/.quillmark:2: 'maybe' is not yes or no"},
        {"[style]\ntag=#", "q/.quillmark:2: no tag character '#' (use @ or \\)"},
        {"[style]\nopener=//", "q/.quillmark:2: no opener '//' (use /** /*! /// or //!)"},
        {"[style]\nopener=/**\ncpp=xmldoc", "q/.quillmark:2: xmldoc is not written with '/**' (use ///)"},
        {"[style]\ncolour=red", "q/.quillmark:2: unknown key 'colour' in [style]"},
        {"[check]\ncpp=doxygen", "q/.quillmark:2: unknown key 'cpp' in [check]"},
        {"[styles]", "q/.quillmark:1: unknown section [styles] (use [style] or [check])"},
        {"[style\ncpp=box", "q/.quillmark:1: a section name without ']'"},
        {"cpp=doxygen", "q/.quillmark:1: a key before the first [section]"},
        {"[style]\ncpp doxygen", "q/.quillmark:2: not a [section] or a key=value line"},
        {"[style]\n[check]\n[style]", "q/.quillmark:3: [style] a second time"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(Summary(ParseHouseStyle(text, "q/.quillmark")), expected) << text;
}

TEST(HouseStyle, IgnoresPathsUnderItsFolder) {
    HouseStyle s = *ParseHouseStyle("[check]\nignore=third_party *.pb.h src/gen/*", "/p/.quillmark").style;
    const std::pair<std::string_view, bool> rows[] = {
        {"/p/third_party/x/a.h", true}, {"/p/src/third_party.h", false},
        {"/p/src/a.pb.h", true},        {"/p/src/gen/a.h", true},
        {"/p/src/gen.h", false},        {"/p/src/a.h", false},
        {"/elsewhere/a.pb.h", false},   {"/p/src/../third_party/b.h", true},
    };
    for (const auto& [path, ignored] : rows) EXPECT_EQ(s.ignores(path), ignored) << path;
}

TEST(HouseStyleFinder, WalksUpOnceForEveryFolder) {
    const fs::path root = fs::path(std::getenv("TMPDIR")) / "finder";
    fs::create_directories(root / "a/b/c");
    fs::create_directories(root / "a/fifo");
    std::ofstream(root / "a/.quillmark") << "[style]\ncpp=doxygen\n";
    std::ofstream(root / "a/b/c/.quillmark") << "[style]\ncpp=oops\n";
    ASSERT_EQ(mkfifo((root / "a/fifo/.quillmark").c_str(), 0600), 0);
    HouseStyleFinder finder;
    const struct {
        std::string file, expected;
        std::size_t looked;
    } rows[] = {
        {"a/b/x.h", "doxygen", 2},
        {"a/b/y.h", "doxygen", 2},
        {"a/z.h", "doxygen", 2},
        {"a/b/c/w.h",
         (root / "a/b/c/.quillmark").string() + ":2: no C++ style 'oops' (use box, doxygen or xmldoc)", 3},
        {"a/fifo/v.h",
         (root / "a/fifo/.quillmark").string() + ": cannot read the style file: not a regular file", 4},
    };
    for (const auto& r : rows) {
        const HouseStyleResult found = finder.find((root / r.file).string());
        EXPECT_EQ(found.style ? std::string(found.style->cpp->name) : found.error, r.expected) << r.file;
        EXPECT_EQ(finder.foldersLooked(), r.looked) << r.file;
    }
    EXPECT_EQ(finder.find("/").style->cpp->name, "box");
}

}  // namespace
}  // namespace qm
