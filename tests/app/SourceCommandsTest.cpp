// SPDX-License-Identifier: MIT
#include "app/qmark/SourceCommands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunOn(SourceOptions o) {
    o.developer = "B. Quill";
    o.date = {2026, 12, 7};
    std::ostringstream out, err;
    const int status = RunSourceCommand(o, out, err);
    return {status, out.str(), err.str()};
}

// A fresh copy of the sample tree, Visual Basic and C++ files whose declarations were edited
// after `qmark header` wrote their blocks; paths in messages are relative to it.
void FreshTree() {
    fs::current_path(std::getenv("TMPDIR"));
    fs::remove_all("tree");
    fs::copy(std::string(QM_TEST_DATA_DIR) + "/sync", "tree", fs::copy_options::recursive);
}

void ExpectUpdatedTree() {
    for (const char* file : {"Orders.bas", "include/Shapes.h"})
        EXPECT_EQ(ReadBytes(std::string("tree/") + file),
                  ReadBytes(QM_TEST_DATA_DIR "/sync_updated/" + std::string(file)))
            << file;
}

TEST(SourceCommands, ChecksUpdatesAndDiffsATree) {
    FreshTree();
    const Outcome check = RunOn({.paths = {"tree"}, .missing = true});
    EXPECT_EQ(check.out, R"(tree/Orders.bas:22: warning: parameter 'OrderID' is now 'OrderNo'
tree/Orders.bas:46: warning: parameter 'Copies' is 'Long' in the header, 'Integer' in the declaration
tree/Orders.bas:46: warning: header lists parameter 'Printer', which the declaration does not have
tree/Orders.bas:66: warning: header says Sub, the declaration is a Function
tree/Orders.bas:66: warning: header says Public, the declaration is Private
tree/Orders.bas:66: warning: header gives no return type, the declaration returns 'Boolean'
tree/Orders.bas:69: warning: Public Sub Archive has no header block
tree/include/Shapes.h:26: warning: parameter 'factor' is 'float' in the header, 'double' in the declaration
tree/include/Shapes.h:26: warning: parameter 'times' is missing from the header
tree/include/Shapes.h:45: warning: header says Function, the declaration is a Sub
tree/include/Shapes.h:45: warning: header returns 'int', the declaration returns nothing
)");
    EXPECT_EQ(check.err, "qmark: 11 findings in 2 of 2 files\n");
    EXPECT_EQ(check.status, 1);

    // The diff of a dry run applies to the untouched files and gives what update writes.
    const Outcome dry = RunOn({.update = true, .paths = {"tree"}, .dryRun = true, .addMissing = true});
    EXPECT_EQ(dry.status, 1);
    std::ofstream("changes.diff", std::ios::binary) << dry.out;
    ASSERT_EQ(std::system("patch -s -N --batch -p0 < changes.diff"), 0);
    ExpectUpdatedTree();

    FreshTree();
    const Outcome update = RunOn({.update = true, .paths = {"tree"}, .addMissing = true});
    EXPECT_EQ(update.err, "qmark: 5 headers updated, 1 added in 2 files; 0 findings left\n");
    EXPECT_EQ(update.status, 0);
    ExpectUpdatedTree();
    EXPECT_EQ(RunOn({.paths = {"tree/Orders.bas", "tree/include"}}).err,
              "qmark: 2 files checked, every header in step\n");
}

// Each path that cannot be read is one error line and exit 2, the rest still checked; a name
// is printed so that it cannot forge a line; a fix is told only once written.
TEST(SourceCommands, ReportsWhatItCannotReadAndGoesOn) {
    FreshTree();
    ASSERT_EQ(mkfifo("tree/pipe.bas", 0600), 0);
    fs::copy("tree/include/Shapes.h", "tree/x\x1b[2J\ny.h");
    fs::create_symlink("Shapes.h", "tree/include/link.h");
    fs::permissions("tree/Orders.bas", fs::perms::owner_read);  // read-only, even for root
    std::ofstream("tree/end.bas") << "Sub F()";                 // no line end after the last line
    const std::string factor =
        ":26: warning: parameter 'factor' is 'float' in the header, 'double' in the declaration\n";
    const std::string returns = ":45: warning: header returns 'int', the declaration returns nothing\n";
    // Rows: what is asked, then the status, the first and last lines of out, and err.
    const std::pair<SourceOptions, std::string> rows[] = {
        {{.paths = {"missing.bas", "tree/include"}},
         "2 missing.bas: error: does not exist\n"
         "tree/include/link.h: note: a symbolic link; not followed (name it to check what it points to)\n"
         "qmark: 4 findings in 1 of 1 file; 1 path could not be read; 1 symbolic link not followed\n"},
        {{.paths = {"nosuchdir"}},
         "2 nosuchdir: error: does not exist\nqmark: 0 files checked; 1 path could not be read\n"},
        {{.paths = {"tree/pipe.bas"}},
         "2 tree/pipe.bas: error: not a regular file\nqmark: 0 files checked; 1 path could not be read\n"},
        {{.paths = {"tree/notes.txt"}},
         "2 tree/notes.txt: error: cannot tell the language from the name; use --language\n"
         "qmark: 0 files checked; 1 path could not be read\n"},
        {{.paths = {"tree/x\x1b[2J\ny.h"}},
         "1 \"tree/x\\x1b[2J\\ny.h\"" + factor + "\"tree/x\\x1b[2J\\ny.h\"" + returns +
             "qmark: 4 findings in 1 of 1 file\n"},
        {{.paths = {}, .stdinFilename = "src/Shapes.h", .stdinText = ReadBytes("tree/include/Shapes.h")},
         "1 src/Shapes.h" + factor + "src/Shapes.h" + returns + "qmark: 4 findings in 1 of 1 file\n"},
        {{.update = true, .paths = {"tree/end.bas"}, .dryRun = true, .addMissing = true},
         "1 --- tree/end.bas\n\\ No newline at end of file\ntree/end.bas:1: note: Public Sub F has no header "
         "block (would add)\nqmark: 1 finding in 1 of 1 file\n"},
        {{.language = 1, .stdinFilename = "Shapes.bas", .stdinText = ReadBytes("tree/include/Shapes.h")},
         "1 Shapes.bas" + factor + "Shapes.bas" + returns + "qmark: 4 findings in 1 of 1 file\n"},
        {{.update = true, .paths = {"tree/Orders.bas"}},
         "2 tree/Orders.bas:22: warning: parameter 'OrderID' is now 'OrderNo'\n"
         "tree/Orders.bas: error: read-only; left alone\n"
         "qmark: 0 headers updated, 0 added in 1 file; 6 findings left; "
         "1 path could not be read or written\n"},
    };
    for (const auto& [options, expected] : rows) {
        const Outcome o = RunOn(options);
        const std::size_t second = o.out.find('\n') + 1, last = o.out.rfind('\n', o.out.size() - 2) + 1;
        EXPECT_EQ(std::to_string(o.status) + " " + o.out.substr(0, second) +
                      (last > second ? o.out.substr(last) : "") + o.err,
                  expected);
    }
    const Outcome json =
        RunOn({.paths = {"tree/notes.txt", "tree/include/Shapes.h"}, .language = 1, .json = true});
    const std::string first = "[\n  {\n    \"file\": \"tree/include/Shapes.h\",\n    \"line\": 26,\n";
    EXPECT_EQ(json.out.substr(0, first.size()), first);
    EXPECT_EQ(json.err, "qmark: 4 findings in 1 of 2 files\n");
    std::ofstream("tree/caf\xe9.bas") << "Sub F()\n";  // a Windows-1252 name: not UTF-8
    EXPECT_NE(RunOn({.paths = {"tree/caf\xe9.bas"}, .json = true, .missing = true})
                  .out.find("tree/caf\xef\xbf\xbd.bas"),
              std::string::npos);
}

}  // namespace
}  // namespace qm
