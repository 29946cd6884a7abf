// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "QmarkTestSupport.h"
#include "Version.h"
#include "app/qmark/QmarkCli.h"

namespace qm {
namespace {

using test::kWorkedExampleJson;
using test::ReadGolden;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunCli(std::vector<std::string> args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunQmark(std::move(args), in, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const std::vector<std::string> kWorkedExampleFlags = {"block",
                                                      "--name",
                                                      "GetTotal",
                                                      "--purpose",
                                                      "Adds up the lines of one order",
                                                      "--returns=Currency; the order total",
                                                      "--kind",
                                                      "Function",
                                                      "--access=Public",
                                                      "--param",
                                                      "OrderID",
                                                      "--type",
                                                      "Long",
                                                      "--desc",
                                                      "Order to total",
                                                      "--param=IncludeTax",
                                                      "--optional",
                                                      "--type=Boolean",
                                                      "--desc=Add sales tax"};

std::vector<std::string> Fixed(const std::string& language) {
    return {"--language", language, "--developer", "A. Developer", "--date", "1998-12-06"};
}

TEST(QmarkBlock, WorkedExampleAsJsonAndAsFlags) {
    for (const auto& [language, golden] :
         {std::pair{"0", "worked_example_vb.txt"}, std::pair{"1", "worked_example_vc.txt"}}) {
        SCOPED_TRACE(golden);
        const std::string expected = ReadGolden(golden);
        ASSERT_FALSE(expected.empty());

        const Result json = RunCli(With({"block"}, Fixed(language)), kWorkedExampleJson);
        EXPECT_EQ(json.status, 0);
        EXPECT_EQ(json.err, "");
        EXPECT_EQ(json.out, expected);

        // With description flags standard input is left alone, so garbage there is harmless.
        const Result flags = RunCli(With(kWorkedExampleFlags, Fixed(language)), "not json");
        EXPECT_EQ(flags.status, 0);
        EXPECT_EQ(flags.err, "");
        EXPECT_EQ(flags.out, expected);
    }
}

TEST(QmarkBlock, ValuesPassUntouched) {
    const std::string line = "'      std::map<int, std::string>m            a: b, c = d\r\n";
    const Result json =
        RunCli(With({"block"}, Fixed("0")),
               R"({"parameters": [{"name": "m", "type": "std::map<int, std::string>",
                                                "description": "a: b, c = d"}]})");
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find(line), std::string::npos) << json.out;

    const Result flags = RunCli(With(
        {"block", "--param", "m", "--type", "std::map<int, std::string>", "--desc=a: b, c = d"},
        Fixed("0")));
    EXPECT_EQ(flags.out, json.out);
}

TEST(QmarkBlock, EmptyDescriptionIsSubPublicAndOtherLanguagesPassThrough) {
    const Result empty = RunCli(With({"block"}, Fixed("0")), " {} ");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out.substr(75, 16), "'  Public Sub \r\n");

    // Language 7 has no prefix and no parameter lines.
    const Result other = RunCli(With({"block", "--param", "x"}, Fixed("7")));
    EXPECT_EQ(other.status, 0);
    EXPECT_EQ(other.out.substr(0, 74), std::string(72, '=') + "\r\n");
    EXPECT_NE(other.out.find("   Parameters:\r\n\r\n"), std::string::npos);
    EXPECT_EQ(other.out.find(" x"), std::string::npos);
}

TEST(QmarkBlock, DateIsValidatedAsACalendarDay) {
    const Result leap =
        RunCli({"block", "--language=0", "--developer=", "--date=2000-02-29"}, "{}");
    EXPECT_EQ(leap.status, 0);
    EXPECT_NE(leap.out.find("'      29-Feb-00"), std::string::npos);
    for (const char* bad : {"1900-02-29", "1998-13-01", "1998-04-31", "1998-12-00", "0000-01-01",
                            "98-12-06", "1998-12-6", "1998/12/06", "+998-12-06", "1998-12-06x"}) {
        const Result r = RunCli({"block", "--language=0", "--developer=", "--date", bad}, "{}");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.err, "qmark: invalid date '" + std::string(bad) +
                             "' (a real day as YYYY-MM-DD)\nTry 'qmark --help'.\n");
    }
}

// Rows of bad command lines and bad input next to the exact message.
TEST(QmarkErrors, RejectedWithExitTwoAndOneClearLine) {
    const std::string hint = "\nTry 'qmark --help'.\n";
    const std::string fixed = " --language 0 --developer x --date 1998-12-06";
    struct Row {
        std::vector<std::string> args;
        std::string input;
        std::string err;
    };
    const auto args = [&](std::string words) {
        std::vector<std::string> out;
        std::istringstream split(words + fixed);
        for (std::string w; split >> w;) out.push_back(w);
        return out;
    };
    const std::vector<Row> rows = {
        {{}, "", "qmark: missing command (block or free)" + hint},
        {{"--language", "0"}, "", "qmark: missing command (block or free)" + hint},
        {args("blok"), "", "qmark: unknown command 'blok' (use block or free)" + hint},
        {args("block free"), "", "qmark: unexpected argument 'free'" + hint},
        {args("block --bogus"), "", "qmark: unknown option '--bogus'" + hint},
        {args("block -h"), "", "qmark: unknown option '-h'" + hint},
        {{"block", "--name"}, "", "qmark: option '--name' needs a value" + hint},
        {args("block --optional=yes"), "", "qmark: option '--optional' takes no value" + hint},
        {args("block --type Long"), "", "qmark: option '--type' must follow a --param" + hint},
        {args("block --optional --param a"), "",
         "qmark: option '--optional' must follow a --param" + hint},
        {args("block --kind General"), "",
         "qmark: the kind General has no structured block; use 'qmark free' for free text" + hint},
        {args("block --kind sub"), "",
         "qmark: invalid kind 'sub' (use Sub, Function or Property)" + hint},
        {{"block", "--kind", "Sub\nFunction"},
         "",
         "qmark: invalid kind 'Sub?Function' (use Sub, Function or Property)" + hint},
        {args("block --access Friend"), "",
         "qmark: invalid access 'Friend' (use Public, Private or Protected)" + hint},
        {args("free --name x"), "", "qmark: option '--name' applies to 'qmark block' only" + hint},
        {{"block", "--language", "x"},
         "",
         "qmark: invalid language 'x' (an integer: 0 Visual Basic, 1 Visual C++)" + hint},
        {{"block", "--language=1.5"},
         "",
         "qmark: invalid language '1.5' (an integer: 0 Visual Basic, 1 Visual C++)" + hint},
        {{"block", "--language="},
         "",
         "qmark: invalid language '' (an integer: 0 Visual Basic, 1 Visual C++)" + hint},
        {{"free", "--language", "4294967296"},
         "",
         "qmark: invalid language '4294967296' (an integer: 0 Visual Basic, 1 Visual C++)" + hint},

        {args("block"), "", "qmark: no input: expected a JSON object describing the procedure\n"},
        {args("block"), "[]", "qmark: the input must be a JSON object, not array\n"},
        {args("block"), "\"GetTotal\"", "qmark: the input must be a JSON object, not string\n"},
        {args("block"), R"({"name": 5})",
         "qmark: the description: \"name\" must be a string, not number\n"},
        {args("block"), R"({"kind": null})",
         "qmark: the description: \"kind\" must be a string, not null\n"},
        {args("block"), R"({"parameters": {}})",
         "qmark: the description: \"parameters\" must be an array, not object\n"},
        {args("block"), R"({"parameters": [{}, "x"]})",
         "qmark: parameter 2 must be an object, not string\n"},
        {args("block"), R"({"parameters": [{"name": "a", "type": true}]})",
         "qmark: parameter 1: \"type\" must be a string, not boolean\n"},
        {args("block"), R"({"parameters": [{"optional": "yes"}]})",
         "qmark: parameter 1: \"optional\" must be \"Yes\" or \"No\", not \"yes\"\n"},
        {args("block"), R"({"nmae": "x", "colour": 1})",
         "qmark: unknown keys \"colour\", \"nmae\" in the description (known keys: name, purpose, "
         "returns, kind, access, parameters)\n"},
        {args("block"), R"({"parameters": [{"desc": ""}]})",
         "qmark: unknown key \"desc\" in parameter 1 (known keys: name, optional, type, "
         "description)\n"},
        {args("block"), R"({"name": "a", "name": "b"})",
         "qmark: key \"name\" appears more than once in one object\n"},
        {args("block"), R"({"kind": "General"})",
         "qmark: the kind General has no structured block; use 'qmark free' for free text\n"},
        {args("block"), R"({"kind": "Event"})",
         "qmark: unknown kind \"Event\" (use Sub, Function or Property)\n"},
        {args("block"), R"({"access": "Friend"})",
         "qmark: unknown access \"Friend\" (use Public, Private or Protected)\n"},
        {args("block"), R"({"purpose": "two\nlines"})",
         "qmark: the purpose holds a line break; each field is one line of the block\n"},
        {{"block", "--param", "a", "--desc", "x\ry", "--language", "0", "--developer", "d"},
         "",
         "qmark: parameter 1's description holds a line break; each field is one line of the "
         "block\n"},
        {{"block", "--name", "a", "--developer", "A\nB", "--language", "0"},
         "",
         "qmark: the developer name holds a line break; each field is one line of the block\n"},
    };
    for (const Row& row : rows) {
        const Result r = RunCli(row.args, row.input);
        SCOPED_TRACE(row.input);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, row.err);
    }
}

TEST(QmarkErrors, MalformedJsonGivesOneLine) {
    for (const std::string& input :
         std::vector<std::string>{"{", "{} {}", "{} x", R"({"name": "a",})", "{'name': 'a'}",
                                  "{\"name\": \"\xff\"}", std::string(100000, '['),
                                  "{\"a\":" + std::string(50, '[') + std::string(50, ']') + "}"}) {
        const Result r = RunCli({"block", "--language", "0", "--developer", "x"}, input);
        SCOPED_TRACE(input.substr(0, 40));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        ASSERT_GT(r.err.size(), 8u);
        EXPECT_EQ(r.err.rfind("qmark: ", 0), 0u);
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

// The free-text block: body lines between the double and the single rule.
std::string Framed(const std::string& prefix, const std::vector<std::string>& lines) {
    std::string out = prefix;
    out.append(72, '=').append("\r\n");
    for (const std::string& line : lines)
        out.append(prefix).append(" ").append(line).append("\r\n");
    return out.append(prefix).append(72, '-').append("\r\n");
}

TEST(QmarkFree, EveryLineEndBecomesABodyLine) {
    const std::string a = "Order module: shared routines.";
    const std::string b = "All amounts are in cents.";
    struct Row {
        std::string input;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {a + "\n" + b, {a, b}},
        {a + "\n" + b + "\n", {a, b}},
        {a + "\r\n" + b + "\r\n", {a, b}},
        {a + "\r" + b + "\r", {a, b}},
        {a + "\r\n\n\r" + b, {a, "", "", b}},
        {a + "\n" + b + "\n\n", {a, b, ""}},
        {"", {""}},
        {"\r\n", {""}},
    };
    for (const auto& [language, prefix] : {std::pair{0, "'"}, std::pair{1, "//"}}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.input);
            const Result r = RunCli({"free", "--language", std::to_string(language)}, row.input);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, Framed(prefix, row.lines));
        }
    }
}

TEST(QmarkFree, UnusableTempDirIsAFileError) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", "/nonexistent-qmark-dir/", 1);
    const Result r = RunCli({"free", "--language", "0"}, "text");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("qmark: ", 0), 0u);
    EXPECT_NE(r.err.find("/nonexistent-qmark-dir/"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST(QmarkSettings, LanguageAndDeveloperComeFromTheSettingsFile) {
    const std::string config = test::MakeScratchDir();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::filesystem::create_directories(config + "/quillmark");
    std::ofstream(config + "/quillmark/Qmark98.ini", std::ios::binary)
        << "[General]\r\nComments Type=1\r\nPersonal Name=A. Developer\r\n";

    const Result block = RunCli({"block", "--date", "1998-12-06"}, kWorkedExampleJson);
    EXPECT_EQ(block.status, 0);
    EXPECT_EQ(block.out, ReadGolden("worked_example_vc.txt"));

    // A flag wins over its setting; the other still comes from the file.
    const Result vb =
        RunCli({"block", "--language", "0", "--date", "1998-12-06"}, kWorkedExampleJson);
    EXPECT_EQ(vb.out, ReadGolden("worked_example_vb.txt"));
    const Result named =
        RunCli(With({"block", "--developer", "B. Other"}, {"--date", "1998-12-06"}), "{}");
    EXPECT_NE(named.out.find("//     06-Dec-98            B. Other "), std::string::npos)
        << named.out;

    const Result free = RunCli({"free"}, "x");
    EXPECT_EQ(free.out.substr(0, 2), "//");
    EXPECT_NE(free.out.find("\r\n// x\r\n"), std::string::npos);
}

TEST(QmarkInfo, HelpAndVersion) {
    const Result help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: qmark block", 0), 0u);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(RunCli({"block", "--name", "x", "--help"}).out, help.out);

    const Result version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("qmark (Quillmark 98) ") + kVersionString + "\n");
}

TEST(QmarkOutput, AFailedWriteIsReportedAsFailure) {
    std::istringstream in("{}");
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(RunQmark(With({"block"}, Fixed("0")), in, out, err), 1);
    EXPECT_EQ(err.str(), "qmark: cannot write to standard output\n");
}

}  // namespace
}  // namespace qm
