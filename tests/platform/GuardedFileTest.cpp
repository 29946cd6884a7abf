// SPDX-License-Identifier: MIT
#include "platform/GuardedFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/Directories.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

const std::string kChanged = "changed on disk since it was read; left alone";

// Each row stages with shell commands what other programs and people do to team/main.bas
// around one replace: before it (setup; failing means the machine cannot), between the read
// and the rename (meanwhile), or as another user. after lists files and their one line.
TEST(GuardedFile, ReplacesOnlyTheFileItReadAndKeepsWhatItHas) {
    const std::string dir = TempDir() + "replace";
    const struct {
        const char *what, *setup, *meanwhile;
        std::string why, after, marked{};
        bool asNobody = false, named = false;
    } rows[] = {
        {"plain", "", "", "", "team/main.bas=new"},
        {"no nameless files", "", "", "", "team/main.bas=new", "", false, true},
        {"folder swapped", "", "mv team team.moved && ln -s victim team", "",
         "team.moved/main.bas=new victim/main.bas=victim"},
        {"file swapped", "", "ln -sf ../victim/main.bas team/main.bas", kChanged, "victim/main.bas=victim"},
        {"edit saved meanwhile", "", "echo edited >team/main.bas", kChanged, "team/main.bas=edited"},
        {"hard link", "ln team/main.bas team/other.bas", "",
         "has 2 names (hard links); left alone, as a new file would part them",
         "team/main.bas=old team/other.bas=old"},
        {"ACL, attribute, owner, group",
         "setfacl -m u:daemon:rw team/main.bas && setfattr -n user.a -v 1 team/main.bas && chown 1234:65534 "
         "team/main.bas",
         "", "", "team/main.bas=new"},
        {"look-alikes",
         "for n in backup 241206 v2-old qmark-AbC123.tmp; do echo mine >team/.main.bas.$n; done && "
         "touch -d '2 minutes ago' team/.main.bas.* && echo mine >team/.main.bas.qmark-XyZ789.tmp",
         "", "",
         "team/main.bas=new team/.main.bas.backup=mine team/.main.bas.v2-old=mine team/.main.bas.241206=mine",
         ".main.bas.qmark-XyZ789.tmp\n"},
        {"read-only", "chmod 0444 team/main.bas", "", "read-only; left alone", "team/main.bas=old"},
        {"another user's", "chown 1234:1234 team/main.bas && chmod 0666 team/main.bas && chmod 0777 team", "",
         "cannot keep its owner: Operation not permitted; left alone", "team/main.bas=old", "", true},
    };
    const auto metadata = [] {
        return test::Shell("stat -c '%a %u %g' team/main.bas && getfattr -dh -m - -e hex team/main.bas");
    };
    for (const auto& row : rows) {
        ASSERT_EQ(
            test::Shell("rm -rf " + dir + " && mkdir -m 755 -p " + dir + "/team " + dir + "/victim && cd " +
                        dir + " && echo old >team/main.bas && echo victim >victim/main.bas && echo ok"),
            "ok\n");
        ASSERT_EQ(chdir(dir.c_str()), 0);
        if (*row.setup && test::Shell(std::string(row.setup) + " && echo ok") != "ok\n") {
            std::cout << "skipped '" << row.what << "': the machine cannot stage it\n";
            continue;
        }
        const std::string before = metadata();
        const auto replace = [&] {
            const auto meanwhile = [&] { EXPECT_EQ(std::system(row.meanwhile), 0); };
            GuardedFile file("team/main.bas",
                             {.write = true,
                              .namedTemporary = row.named,
                              .beforeRename = *row.meanwhile ? meanwhile : std::function<void()>()});
            std::string text;
            if (!file.read(text)) return "read: " + file.why();
            return file.replace("new\n") ? std::string() : file.why();
        };
        const auto why = row.asNobody ? test::InChildAsNobody(dir, replace) : replace();
        if (!why) std::cout << "skipped '" << row.what << "': nobody cannot reach " << dir << "\n";
        if (!why) continue;
        EXPECT_EQ(*why, row.why) << row.what;
        std::istringstream files(row.after);
        for (std::string file; files >> file;) {
            const std::size_t equals = file.find('=');
            EXPECT_EQ(test::FileBytes(file.substr(0, equals)), file.substr(equals + 1) + "\n") << row.what;
        }
        if (why->empty() && std::string(row.meanwhile).empty()) {
            EXPECT_EQ(metadata(), before) << row.what;
        }
        EXPECT_EQ(test::Shell("ls -a team team.moved 2>/dev/null | grep qmark- || true"), row.marked)
            << row.what;
    }
}

TEST(GuardedFile, WaitsForAnotherProgramsLockABoundedTime) {
    const std::string path = TempDir() + "locked.bas";
    const std::string locked = "locked by another program; left alone";
    const struct {
        const char* what;
        int held;  // the other program's flock
        bool write, letGo;
        std::string why;
    } rows[] = {
        {"no lock", 0, true, false, ""},
        {"a read lock", LOCK_SH, true, false, locked},
        {"a write lock", LOCK_EX, true, false, locked},
        {"a read lock let go while waiting", LOCK_SH, true, true, ""},
        {"a write lock, only reading", LOCK_EX, false, false, ""},
    };
    for (const auto& row : rows) {
        test::Shell("echo old >" + path);
        FileDescriptor other(open(path.c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(row.held ? flock(other.get(), row.held) : 0, 0);
        std::thread letGo([&] {
            if (row.letGo) std::this_thread::sleep_for(20ms), flock(other.get(), LOCK_UN);
        });
        GuardedFile file(path, {.write = row.write, .lockWait = row.letGo ? 2000ms : 50ms});
        std::string text;
        EXPECT_EQ(file.read(text) ? "" : file.why(), row.why) << row.what;
        letGo.join();
    }
}

}  // namespace
}  // namespace qm
