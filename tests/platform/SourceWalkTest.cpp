// SPDX-License-Identifier: MIT
#include "platform/SourceWalk.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/Directories.h"
#include "platform/GuardedFile.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

// One line per item: "F path", "F path (named)", "L path" or "E path: why".
std::string Walked(const std::vector<std::string>& paths) {
    std::string out;
    WalkSources(paths, [&](WalkItem&& item) {
        const char kind = "FLE"[static_cast<int>(item.kind)];
        out += std::string(1, kind) + " " + item.path + (item.named ? " (named)" : "") +
               (item.why.empty() ? "" : ": " + item.why) + "\n";
    });
    return out;
}

TEST(SourceWalk, VisitsSourcesOnlyAndSaysWhatItCannotRead) {
    const std::string dir = TempDir() + "walk";
    ASSERT_EQ(test::Shell(
                  "rm -rf " + dir + " && mkdir -m 755 -p " + dir + "/w/sub " + dir + "/w/.git " + dir +
                  "/w/secret " + dir + "/outside && cd " + dir +
                  " && touch w/a.bas w/B.CLS w/page.pag w/doc.dob w/notes.txt w/.bas w/sub/c.h w/.git/x.bas "
                  "w/secret/stale.bas outside/o.bas && ln -s ../outside/o.bas w/link.bas && ln -s "
                  "../outside w/linkdir && ln -s ../outside/o.bas w/README && mkfifo w/fifo.bas && chmod 0 "
                  "w/secret && mkdir -m 711 w/pass && touch w/pass/p.bas && mkdir e && for x in bas cls frm "
                  "ctl dsr pag dob h hh hpp hxx c cc cpp cxx; do touch e/a.$x; done && echo ok"),
              "ok\n");
    ASSERT_EQ(chdir(dir.c_str()), 0);
    const std::string all = "F w/B.CLS\nF w/a.bas\nF w/doc.dob\nL w/link.bas\nL w/linkdir\nF w/page.pag\n";
    const struct {
        std::vector<std::string> paths;
        bool asNobody;
        std::string items;
    } rows[] = {
        {{"w/"}, false, all + "F w/pass/p.bas\nF w/secret/stale.bas\nF w/sub/c.h\n"},
        {{"w", "w/pass/p.bas"},
         true,
         all + "E w/pass: cannot open the folder: Permission denied\nE w/secret: cannot open the folder: "
               "Permission denied\nF w/sub/c.h\nF w/pass/p.bas (named)\n"},
        {{"w/link.bas", "w/linkdir", "w/notes.txt", "nosuchdir", "w/fifo.bas"},
         false,
         "F w/link.bas (named)\nF w/linkdir/o.bas\nF w/notes.txt (named)\nE nosuchdir: does not exist\n"
         "E w/fifo.bas: not a regular file\n"},
        {{"e"},
         false,
         "F e/a.bas\nF e/a.c\nF e/a.cc\nF e/a.cls\nF e/a.cpp\nF e/a.ctl\nF e/a.cxx\nF e/a.dob\nF e/a.dsr\n"
         "F e/a.frm\nF e/a.h\nF e/a.hh\nF e/a.hpp\nF e/a.hxx\nF e/a.pag\n"},
    };
    for (const auto& row : rows) {
        if (!row.asNobody && geteuid() != 0) continue;  // the runner cannot read what only root reads
        const auto items = row.asNobody ? test::InChildAsNobody(dir, [&] { return Walked(row.paths); })
                                        : std::optional(Walked(row.paths));
        if (!items) std::cout << "skipped: nobody cannot reach " << dir << "\n";
        EXPECT_EQ(items.value_or(row.items), row.items) << row.paths[0];
    }
}

// A path 10,000 folders deep is far longer than PATH_MAX: the walk must open each file from
// its folder, keep few descriptors and memory in proportion to the depth.
TEST(SourceWalk, WalksDeepTreesWithFewDescriptorsAndLittleMemory) {
    constexpr int kDepth = 10000;
    const std::string dir = TempDir() + "deep";
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    ASSERT_TRUE(MakeDirectories(dir));
    FileDescriptor folder(open(dir.c_str(), O_RDONLY | O_DIRECTORY));
    for (int depth = 0; depth < kDepth; ++depth) {
        ASSERT_EQ(mkdirat(folder.get(), "d", 0700), 0);
        folder = FileDescriptor(openat(folder.get(), "d", O_RDONLY | O_DIRECTORY));
        ASSERT_TRUE(folder) << depth;
    }
    const FileDescriptor file(openat(folder.get(), "deep.bas", O_WRONLY | O_CREAT, 0600));
    ASSERT_EQ(write(file.get(), "Sub F()\n", 8), 8);

    rlimit usual{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &usual), 0);
    const rlimit few{64, usual.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    std::string text, items;
    WalkSources({dir}, [&](WalkItem&& item) {
        items += item.why + "|";
        GuardedFile(item.folder, item.name, {}).read(text);
    });
    getrusage(RUSAGE_SELF, &after);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &usual), 0);
    EXPECT_EQ(items + text, "|Sub F()\n");  // one file, read from its folder
#ifndef __SANITIZE_ADDRESS__                // whose quarantine keeps every freed folder listing in memory
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024) << "kB more at the peak";
#endif
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

}  // namespace
}  // namespace qm
