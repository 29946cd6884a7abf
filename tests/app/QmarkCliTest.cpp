// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdlib>
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
    std::string out, err;
};

Result RunCli(std::vector<std::string> args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunQmark(std::move(args), in, out, err);
    return {status, out.str(), err.str()};
}

// Splits at single spaces only, so a row can hold a line break inside one argument.
std::vector<std::string> Words(const std::string& words) {
    std::vector<std::string> out;
    std::istringstream split(words);
    for (std::string w; std::getline(split, w, ' ');) out.push_back(w);
    return out;
}

const std::string kFixed = "--developer Ada --date 1998-12-06";

TEST(QmarkBlock, WorkedExampleAsJsonAndAsFlags) {
    const std::vector<std::string> flags = {
        "block", "--name", "GetTotal", "--purpose", "Adds up the lines of one order",
        "--returns=Currency; the order total", "--kind", "Function", "--access=Public",
        "--param", "OrderID", "--type", "Long", "--desc", "Order to total", "--param=IncludeTax",
        "--optional", "--type=Boolean", "--desc=Add sales tax", "--developer", "A. Developer",
        "--date", "1998-12-06"};
    for (const auto& [language, golden] :
         {std::pair{"0", "worked_example_vb.txt"}, {"1", "worked_example_vc.txt"}}) {
        const std::string expected = ReadGolden(golden);
        ASSERT_FALSE(expected.empty());
        const Result json = RunCli({"block", "--language", language, "--developer", "A. Developer",
                                    "--date", "1998-12-06"}, kWorkedExampleJson);
        // With description flags standard input is left alone, so garbage there is harmless.
        std::vector<std::string> args = flags;
        args.push_back(std::string("--language=") + language);
        const Result flagged = RunCli(args, "not json");
        for (const Result& r : {json, flagged}) {
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, expected) << language;
        }
    }
}

TEST(QmarkBlock, ValuesPassUntouchedAndOtherLanguagesAreAccepted) {
    const Result json = RunCli(Words("block --language 0 " + kFixed), R"({"parameters": [{"name": "m",
        "type": "std::map<int, std::string>", "description": "a: b, c = d"}]})");
    EXPECT_NE(json.out.find("'      std::map<int, std::string>m            a: b, c = d\r\n"),
              std::string::npos) << json.out;
    std::vector<std::string> flags = Words("block --language 0 " + kFixed + " --param m");
    flags.insert(flags.end(), {"--type", "std::map<int, std::string>", "--desc=a: b, c = d"});
    EXPECT_EQ(RunCli(flags).out, json.out);
    const Result other = RunCli(Words("block --param x --language 7 " + kFixed));
    EXPECT_EQ(other.status, 0);
    EXPECT_EQ(other.out.substr(0, 74), std::string(72, '=') + "\r\n");  // no comment prefix
}

TEST(QmarkBlock, DateIsACalendarDay) {
    const Result leap = RunCli(Words("block --language=0 --developer= --date=2000-02-29"), "{}");
    EXPECT_NE(leap.out.find("'      29-Feb-00"), std::string::npos);
    for (const char* bad : {"1900-02-29", "1998-13-01", "1998-04-31", "1998-12-00", "0000-01-01", "98-12-06",
                            "1998-12-6", "1998/12/06", "+998-12-06", "1998-12-06x"}) {
        const Result r = RunCli({"block", "--language=0", "--date", bad}, "{}");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.err, "qmark: invalid date '" + std::string(bad) + "' (a real day as YYYY-MM-DD)\n"
                         "Try 'qmark --help'.\n");
    }
}

// Bad command lines and bad input, each next to its exact message, after fixed valid options.
TEST(QmarkErrors, RejectedWithExitTwoAndOneClearLine) {
    const std::string hint = "\nTry 'qmark --help'.\n";
    const std::string language = " (an integer: 0 Visual Basic, 1 Visual C++)" + hint;
    const std::string lineBreak = " holds a line break; each field is one line of the block\n";
    const std::pair<std::string, std::string> commandLines[] = {
        {"", "qmark: missing command (block or free)" + hint},
        {"blok", "qmark: unknown command 'blok' (use block or free)" + hint},
        {"block free", "qmark: unexpected argument 'free'" + hint},
        {"block -h", "qmark: unknown option '-h'" + hint},
        {"block --name", "qmark: option '--name' needs a value" + hint},
        {"block --optional=yes", "qmark: option '--optional' takes no value" + hint},
        {"block --optional --param a", "qmark: option '--optional' must follow a --param" + hint},
        {"block --kind Sub\nFunction",
         "qmark: invalid kind 'Sub?Function' (use Sub, Function or Property)" + hint},
        {"block --access Friend", "qmark: invalid access 'Friend' (use Public, Private or Protected)" + hint},
        {"free --name x", "qmark: option '--name' applies to 'qmark block' only" + hint},
        {"block --language=1.5", "qmark: invalid language '1.5'" + language},
        {"free --language 4294967296", "qmark: invalid language '4294967296'" + language},
        {"block --param a --desc x\ry", "qmark: parameter 1's description" + lineBreak},
        {"block --name a --developer A\nB", "qmark: the developer name" + lineBreak},
    };
    const std::pair<std::string, std::string> inputs[] = {
        {"", "qmark: no input: expected a JSON object describing the procedure\n"},
        {R"({"name": 5})", "qmark: the description: \"name\" must be a string, not number\n"},
        {R"({"parameters": [{}, "x"]})", "qmark: parameter 2 must be an object, not string\n"},
        {R"({"parameters": [{"optional": "yes"}]})",
         "qmark: parameter 1: \"optional\" must be \"Yes\" or \"No\", not \"yes\"\n"},
        {R"({"nmae": "x", "colour": 1})", "qmark: unknown keys \"colour\", \"nmae\" in the description "
                                          "(known keys: name, purpose, returns, kind, access, parameters)\n"},
        {R"({"parameters": [{"desc": ""}]})",
         "qmark: unknown key \"desc\" in parameter 1 (known keys: name, optional, type, description)\n"},
        {R"({"name": "a", "name": "b"})", "qmark: key \"name\" appears more than once in one object\n"},
        {R"({"kind": "General"})",
         "qmark: the kind General has no structured block; use 'qmark free' for free text\n"},
        {R"({"kind": "Event"})", "qmark: unknown kind \"Event\" (use Sub, Function or Property)\n"},
        {R"({"purpose": "two\nlines"})", "qmark: the purpose" + lineBreak},
    };
    const auto check = [](const std::string& args, const std::string& input, const std::string& err) {
        const Result r = RunCli(Words("--language 0 " + kFixed + " " + args), input);
        EXPECT_EQ(r.status, 2) << args << input;
        EXPECT_EQ(r.out, "") << args << input;
        EXPECT_EQ(r.err, err) << args << input;
    };
    for (const auto& [args, err] : commandLines) check(args, "", err);
    for (const auto& [input, err] : inputs) check("block", input, err);
}

TEST(QmarkErrors, MalformedJsonGivesExitTwoAndOneLine) {
    const std::string nested = "{\"a\":" + std::string(50, '[') + std::string(50, ']') + "}";
    for (const std::string& input : {std::string("{"), std::string("{} {}"), std::string(R"({"name": "a",})"),
                                     std::string("{'name': 'a'}"), std::string("{\"name\": \"\xff\"}"),
                                     std::string(100000, '['), nested}) {
        const Result r = RunCli(Words("block --language 0 --developer x"), input);
        EXPECT_EQ(r.status, 2) << input.substr(0, 40);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("qmark: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(QmarkFree, EveryLineEndBecomesABodyLine) {
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"a\nb", {"a", "b"}},       {"a\r\nb\r\n", {"a", "b"}},     {"a\rb\r", {"a", "b"}},
        {"a\r\n\n\rb", {"a", "", "", "b"}}, {"a\nb\n\n", {"a", "b", ""}}, {"", {""}},
    };
    for (const auto& [language, prefix] : {std::pair{"0", "'"}, {"1", "//"}}) {
        for (const auto& [input, lines] : rows) {
            std::string expected = prefix + std::string(72, '=') + "\r\n";
            for (const std::string& line : lines) expected += prefix + (" " + line) + "\r\n";
            expected += prefix + std::string(72, '-') + "\r\n";
            const Result r = RunCli({"free", "--language", language}, input);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.out, expected) << input;
        }
    }
}

TEST(QmarkFree, UnusableTempDirIsAFileError) {
    const std::string saved = std::getenv("TMPDIR");
    setenv("TMPDIR", "/nonexistent-qmark-dir/", 1);
    const Result r = RunCli({"free", "--language", "0"}, "text");
    setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("qmark: ", 0), 0u);
    EXPECT_NE(r.err.find("/nonexistent-qmark-dir/"), std::string::npos) << r.err;
}

TEST(QmarkSettings, LanguageAndDeveloperComeFromTheSettingsFile) {
    const std::string config = std::string(std::getenv("TMPDIR")) + "/qmark-config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::filesystem::create_directories(config + "/quillmark");
    std::ofstream(config + "/quillmark/Qmark98.ini", std::ios::binary)
        << "[General]\r\nComments Type=1\r\nPersonal Name=A. Developer\r\n";
    EXPECT_EQ(RunCli(Words("block --date 1998-12-06"), kWorkedExampleJson).out,
              ReadGolden("worked_example_vc.txt"));
    // A flag wins over its setting; the other still comes from the file.
    EXPECT_EQ(RunCli(Words("block --language 0 --date 1998-12-06"), kWorkedExampleJson).out,
              ReadGolden("worked_example_vb.txt"));
}

TEST(QmarkInfo, HelpVersionAndAFailedWrite) {
    const Result help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: qmark block", 0), 0u);
    EXPECT_EQ(RunCli({"block", "--name", "x", "--help"}).out, help.out);
    EXPECT_EQ(RunCli({"--version"}).out, std::string("qmark (Quillmark 98) ") + kVersionString + "\n");

    std::istringstream in("{}");
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(RunQmark(Words("block --language 0"), in, out, err), 1);
    EXPECT_EQ(err.str(), "qmark: cannot write to standard output\n");
}

}  // namespace
}  // namespace qm
