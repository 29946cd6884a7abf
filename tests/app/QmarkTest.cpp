// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Version.h"
#include "app/qmark/QmarkCli.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

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

// Splits at each separator, keeping empty words, so a row can hold a line break inside one argument.
std::vector<std::string> Words(const std::string& words, char separator = ' ') {
    std::vector<std::string> out(1);
    for (char c : words) {
        if (c == separator) out.emplace_back();
        else out.back() += c;
    }
    return out;
}

std::string Golden(const std::string& language) {
    return test::ReadGolden(language == "0" ? "worked_example_vb.txt" : "worked_example_vc.txt");
}

const std::string kWorkedExample = R"({"name": "GetTotal", "purpose": "Adds up the lines of one order",
  "returns": "Currency; the order total", "kind": "Function", "access": "Public", "parameters": [
    {"name": "OrderID", "optional": "No", "type": "Long", "description": "Order to total"},
    {"name": "IncludeTax", "optional": "Yes", "type": "Boolean", "description": "Add sales tax"}]})";
const std::string kFixed = "--language 0 --developer Ada --date 1998-12-06";

TEST(QmarkBlock, JsonAndFlagsGiveTheSameBlock) {
    const std::string flags =
        "block|--name|GetTotal|--purpose|Adds up the lines of one order|--kind|Function|--access=Public|"
        "--returns=Currency; the order total|--param|OrderID|--type|Long|--desc|Order to total|"
        "--param=IncludeTax|--optional|--type=Boolean|--desc=Add sales tax|";
    for (const std::string language : {"0", "1"}) {
        const std::string fixed = "--developer|A. Developer|--date|1998-12-06|--language=" + language;
        // With description flags standard input is left alone, so garbage there is harmless.
        for (const Result& r : {RunCli(Words("block|" + fixed, '|'), kWorkedExample),
                                RunCli(Words(flags + fixed, '|'), "not json")}) {
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, Golden(language)) << language;
        }
    }
}

// One line of the block for each description, given as JSON or as flags.
TEST(QmarkBlock, FieldsReachTheirLine) {
    const std::pair<std::string, std::string> rows[] = {
        {"--param m --type std::map<int,\tT> --desc=a:\tb",
         "'      std::map<int,\tT>     m                 a:\tb\r\n"},
        {R"({"access": "Private"})", "'  Private Sub \r\n"},
        {"--access Protected --kind Property --name P", "'  Protected Property P\r\n"},
        {"--date 2000-02-29 --name x", "'      29-Feb-00            Ada  "},
        {R"({"access": "Friend"})", "'  Friend Sub \r\n"}};
    for (const auto& [given, line] : rows) {
        const bool json = given[0] == '{';
        const Result r = RunCli(Words(kFixed + " block" + (json ? "" : " " + given)), json ? given : "");
        EXPECT_EQ(r.err, "") << given;
        EXPECT_NE(r.out.find(line), std::string::npos) << given << "\n" << r.out;
    }
    // A settings file's language 7 is no option's: the block has no remark prefix.
    const std::string settings = std::string(std::getenv("XDG_CONFIG_HOME")) + "/quillmark/Qmark98.ini";
    std::filesystem::create_directories(std::filesystem::path(settings).parent_path());
    std::ofstream(settings) << "[General]\nComments Type=7\n";
    const Result r = RunCli(Words("block --developer Ada --param x"));
    std::filesystem::remove(settings);
    EXPECT_NE(r.out.find("\r\n" + std::string(72, '=') + "\r\n"), std::string::npos) << r.err;
}

// Bad command lines and bad input, each next to its message, after fixed valid options. A message
// without its line end is the start of a one-line message.
TEST(QmarkErrors, RejectedWithExitTwoAndAClearMessage) {
    const std::string language = " (use 0 for Visual Basic or 1 for Visual C++)";
    const std::string lineBreak = " holds a line break; each field is one line of the block\n";
    std::vector<std::pair<std::string, std::string>> commandLines = {
        {"", "missing command (block, free, describe, header, check, update, locate or lsp)"},
        {"blok", "unknown command 'blok' (use block, free, describe, header, check, update, locate or lsp)"},
        {"describe",
         "option '--developer' applies to 'qmark block', 'qmark free', 'qmark header', 'qmark update' "
         "and 'qmark lsp' only"},
        {"block --declaration --name x", "option '--name' cannot be combined with --declaration"},
        {"block -- --name", "unexpected argument '--name'"},
        {"block -h", "unknown option '-h'"},
        {"block --name", "option '--name' needs a value"},
        {"block --optional=yes", "option '--optional' takes no value"},
        {"block --optional --param a", "option '--optional' must follow a --param"},
        {"block --kind Sub\nFunction", "invalid kind 'Sub?Function' (use Sub, Function or Property)"},
        {"block --kind General", "the kind General has no structured block; use 'qmark free' for free text"},
        {"block --access Global", "invalid access 'Global' (use Public, Private, Protected or Friend)"},
        {"free --name x", "option '--name' applies to 'qmark block' only"},
        {"block --language=1.5", "invalid language '1.5'" + language},
        {"free --language 4294967296", "invalid language '4294967296'" + language},
        {"update --language 1", "missing file or folder to update"},
        {"update --format xml x", "invalid format 'xml' (use text or json)"},
        {"update --dry-run --format json x", "option '--dry-run' prints a diff, not --format json"},
        {"update --language 2 x", "invalid language '2'" + language},
        {"header --language -0", "invalid language '-0'" + language}};
    for (const std::string& bad :
         Words("1900-02-29 1998-04-31 0000-01-01 1998-12-6 +998-12-06 1998-12-06x")) {
        commandLines.push_back(
            {"block --date " + bad, "invalid date '" + bad + "' (a real day as YYYY-MM-DD)"});
    }
    const std::pair<std::string, std::string> inputs[] = {
        {"", "no input: expected a JSON object describing the procedure\n"},
        {std::string(8u << 20, ' ') + "{}",
         "standard input is over 8 MiB, more than any description or note\n"},
        {"[{}]", "the input must be a JSON object, not array\n"},
        {R"({"name": {"a": 1}})", "the description: \"name\" must be a string, not object\n"},
        {R"({"parameters": [{}, [{}]]})", "parameter 2 must be an object, not array\n"},
        {R"({"parameters": [{"optional": "yes"}]})",
         "parameter 1: \"optional\" must be \"Yes\" or \"No\", not "},
        {R"({"nmae": "x", "colour": 1})",
         "unknown keys \"colour\", \"nmae\" in the description (known keys: "
         "name, purpose, returns, kind, access, parameters)\n"},
        {R"({"parameters": [{"desc": ""}]})",
         "unknown key \"desc\" in parameter 1 (known keys: name, optional, "},
        {R"({"name": "a", "name": "b"})", "key \"name\" appears more than once in one object\n"},
        {R"({"x": [{"a": 1, "a": 2}]})", "key \"a\" appears more than once in one object\n"},
        {R"({"kind": "General"})",
         "the kind General has no structured block; use 'qmark free' for free text\n"},
        {R"({"kind": "Event"})", "unknown kind \"Event\" (use Sub, Function or Property)\n"},
        {R"({"access": "Global"})", "unknown access \"Global\" (use Public, Private, Protected or Friend)\n"},
        {"{\"a\":" + std::string(50, '[') + std::string(50, ']') + "}", "the JSON nests too deeply for a "},
        {"--returns a\nb", "the returns text" + lineBreak},
        {"--param a --desc x\ry", "parameter 1's description" + lineBreak},
        {"--name a --developer A\nB", "the developer name" + lineBreak},
        {"--declaration", "cannot read the declaration: "},
        {"{", "invalid JSON: "},
        {"{} {}", "invalid JSON: "}};
    const auto check = [](const std::string& args, const std::string& input, const std::string& err) {
        const Result r = RunCli(Words(args.empty() ? kFixed : kFixed + " " + args), input);
        const bool whole = err.back() == '\n' || std::count(r.err.begin(), r.err.end(), '\n') != 1;
        EXPECT_EQ(std::to_string(r.status) + r.out + r.err.substr(0, whole ? r.err.size() : err.size()),
                  "2" + err);
    };
    for (const auto& [args, err] : commandLines) check(args, "", "qmark: " + err + "\nTry 'qmark --help'.\n");
    // Rows starting with "--" are description flags: their input is never read.
    for (const auto& [input, err] : inputs) {
        const bool flags = input.rfind("--", 0) == 0;
        check(flags ? "block " + input : "block", flags ? "" : input, "qmark: " + err);
    }
}

TEST(QmarkFree, EveryLineEndBecomesABodyLine) {
    // Past a few hundred kilobytes the text is framed in slices; the joins must not show.
    std::string many, manyLines;
    for (int i = 0; i < 40000; ++i) many += "line " + std::to_string(i) + "\n";
    std::replace_copy(many.begin(), many.end() - 1, std::back_inserter(manyLines), '\n', '|');
    const std::pair<std::string, std::string> rows[] = {{"a\nb", "a|b"},      {"a\r\nb\r\n", "a|b"},
                                                        {"a\rb\r", "a|b"},    {"a\r\n\n\rb", "a|||b"},
                                                        {"a\nb\n\n", "a|b|"}, {"", ""},
                                                        {many, manyLines}};
    for (const auto& [language, prefix] : {std::pair{"0", "'"}, {"1", "//"}}) {
        for (const auto& [input, lines] : rows) {
            std::string expected = prefix + std::string(72, '=') + "\r\n";
            for (const std::string& line : Words(lines, '|')) expected += prefix + (" " + line) + "\r\n";
            const Result r = RunCli({"free", "--language", language}, input);
            EXPECT_EQ(r.status, 0);
            EXPECT_TRUE(r.out == expected + prefix + std::string(72, '-') + "\r\n") << input.substr(0, 40);
        }
    }
}

// describe's JSON gives block what --declaration gives it; header puts that block above each
// declaration of its input, indented and ended like the declaration's line.
TEST(QmarkDeclaration, DescribeHeaderAndBlockAgree) {
    const std::string vb =
        "Public Function Total(ByVal ID As Long, _\n    Optional Tax As Boolean) As Currency\n";
    EXPECT_EQ(RunCli(Words(kFixed + " block"), RunCli(Words("describe --language 0"), vb).out).out,
              RunCli(Words(kFixed + " block --declaration"), vb).out);
    EXPECT_EQ(
        RunCli(Words("describe --language=0"), "Private Sub Reset()").out,
        "{\n  \"name\": \"Reset\",\n  \"purpose\": \"\",\n  \"returns\": \"\",\n  \"kind\": \"Sub\",\n  "
        "\"access\": \"Private\",\n  \"parameters\": []\n}\n");
    EXPECT_EQ(RunCli(Words("describe --language 0"), "Sub F\xe9()").err,
              "qmark: the declaration is not UTF-8 text, which JSON cannot carry\n");
    // The input with '@' where a block goes, and its language.
    const std::pair<std::string, std::string> rows[] = {
        {"@" + vb, "0"},
        {"\n@\t  void f(int a,\n  int b);", "1"},
        {"\xEF\xBB\xBF@Sub A()", "0"},
        {"@int f(int a);\n// between\n\n@  int g(int b) {\n    return h(b);\n  }\n", "1"},
        {"@Sub A()\r\nEnd Sub\r\n' a remark\r\n@\tFunction B() As Long\r\n", "0"}};
    for (const auto& [marked, language] : rows) {
        const std::string args = kFixed + " --language " + language + " --purpose Does";
        const auto unmarked = [](std::string text) { return std::erase(text, '@'), text; };
        std::string expected;
        std::size_t at = 0;
        for (std::size_t mark = marked.find('@'); mark != std::string::npos; mark = marked.find('@', at)) {
            const std::string rest = unmarked(marked.substr(mark + 1));
            const std::string indent = rest.substr(0, rest.find_first_not_of(" \t"));
            const std::string lineEnd = rest.find('\n') == rest.find("\r\n") + 1 ? "\r\n" : "\n";
            expected += marked.substr(at, mark - at);
            at = mark + 1;
            for (const std::string& line :
                 Words(RunCli(Words(args + " block --declaration"), rest).out, '\n'))
                if (!line.empty()) expected += indent + line.substr(0, line.size() - 1) + lineEnd;
        }
        expected += marked.substr(at);
        EXPECT_NE(expected.find("Does"), std::string::npos);
        EXPECT_EQ(RunCli(Words(args + " header"), unmarked(marked)).out, expected) << marked;
    }
    // Whatever goes wrong, an editor gets its lines back.
    for (const auto& [args, input] : {std::pair<std::string, std::string>{"header", "Dim x As Long\n"},
                                      {"--bogus header", "Sub A()\n"},
                                      {"header", std::string(9u << 20, 'x')}}) {
        const Result r = RunCli(Words(kFixed + " " + args), input);
        EXPECT_TRUE(r.status == 2 && r.out == input) << args;
    }
}

// Arguments, standard input, then the exit status followed by what comes out.
TEST(QmarkLocate, PrintsTheDeclarationsLinesOrSaysWhyNot) {
    const std::string usage = "\nTry 'qmark --help'.\n";
    const std::string rule(72, '=');
    const std::string block = "'" + rule + "\n'  Public Sub A\n'" + rule + "\n";
    const std::string rows[][3] = {
        {"locate --language 0 3", "x = 1\nSub A( _\n  b)\n", "0 2 3\n"},
        {"locate --language 0 1", "x = 1\n",
         "2 qmark: line 1: not a Sub, Function or Property declaration\n"},
        {"locate --language 0 1 5", "Sub B()\n" + block + "Sub A()\n",
         "2 qmark: line 5 has a header block (line 2); use 'qmark update'\n"},
        {"locate", "", "2 qmark: missing line number to locate" + usage},
        {"locate 1 2 3", "", "2 qmark: locate takes one or two line numbers" + usage},
        {"locate 0", "", "2 qmark: invalid line '0' (a line number from 1)" + usage},
    };
    for (const auto& [args, input, expected] : rows) {
        const Result r = RunCli(Words(args), input);
        EXPECT_EQ(std::to_string(r.status) + " " + r.out + r.err, expected) << args;
    }
}

// Whatever shape a declaration has, the block header writes for it is in step with it:
// check finds nothing and update leaves the file alone.
TEST(QmarkDeclaration, HeaderWritesBlocksCheckFindsInStep) {
    const std::tuple<std::string, std::string, std::string> files[] = {
        {"shapes.h", "1",
         "void f(FILE* s);\nvoid Fill(BYTE* p, DWORD n);\nclass Sink {\npublic:\n  virtual HRESULT "
         "STDMETHODCALLTYPE get_Value(\n      /* [retval][out] */ BOOL *value) = 0;\n  FMT_CONSTEXPR "
         "arg_ref(basic_string_view<Char> n) : name(n) {}\n  Q_INVOKABLE explicit Sink(QObject* parent = "
         "nullptr);\n  FMT_CONSTEXPR FMT_INLINE value(const T& x FMT_BUILTIN, int n = 0) {\n    Foo "
         "bar(baz);\n  }\n};\ntemplate <typename Mutex>\nSPDLOG_INLINE "
         "base_sink<Mutex>::base_sink(std::unique_ptr<formatter> f)\n    : formatter_(std::move(f)) {}\n"
         "SPDLOG_INLINE logger::~logger() = default;\n"},
        {"Shapes.bas", "0",
         "Attribute VB_Name = \"Shapes\"\r\nFriend Function Count(ByVal n As Long) As Long\r\nEnd "
         "Function\r\nPrivate Declare Sub Beep CDecl Lib \"kernel32\" (ByVal f As Long)\r\nFriend Property "
         "Get Archive() As Variant\r\nEnd Property\r\n"}};
    for (const auto& [name, language, code] : files) {
        const Result headed = RunCli(Words(kFixed + " --language " + language + " header"), code);
        const std::string path = std::getenv("TMPDIR") + name;
        std::ofstream(path, std::ios::binary) << headed.out;
        const auto blocks = std::count(headed.out.begin(), headed.out.end(), '=') / 144;
        EXPECT_EQ(blocks, name == "shapes.h" ? 8 : 3) << headed.out;
        const Result check = RunCli({"check", path});
        EXPECT_EQ(std::to_string(check.status) + check.out, "0") << check.err;
        EXPECT_EQ(RunCli({"update", "--developer", "Ada", path}).status, 0);
        EXPECT_EQ(test::FileBytes(path), headed.out);
    }
}

TEST(QmarkInfo, HelpAndVersion) {
    const std::string help = RunCli({"--help"}).out;
    EXPECT_NE(help.find("\n       qmark free [OPTION]... < text\n"), std::string::npos) << help;
    EXPECT_NE(
        help.find("\n  --param NAME        adds a parameter; --type, --desc and --optional describe the\n"
                  "                      latest one\n"),
        std::string::npos)
        << help;
    EXPECT_EQ(RunCli({"block", "--name", "x", "--help"}).out, help);
    EXPECT_EQ(RunCli({"--version"}).out, std::string("qmark (Quillmark 98) ") + kVersionString + "\n");
}

// The built executable: main's stream set-up, the exit status, and a failed write.
TEST(QmarkProcess, WritesTheBlockByteForByteAndExitsWithTheRightStatus) {
    const std::string dir = std::getenv("TMPDIR");
    std::ofstream(dir + "json", std::ios::binary) << kWorkedExample;
    const std::string block = "block --language 0 --developer 'A. Developer' --date 1998-12-06 <";
    // Endless input stops at the cap instead of filling the memory; a full disk is no success.
    const std::tuple<std::string, std::string, int, std::string, std::string> rows[] = {
        {block + dir + "json", dir + "out", 0, Golden("0"), ""},
        {block + "/dev/zero", dir + "out", 2, "", "qmark: standard input is over 8 MiB, more than any "},
        {"free --language 0 <" + dir + "json", "/dev/full", 2, "",
         "qmark: cannot write to standard output\n"}};
    for (const auto& [args, output, status, out, err] : rows) {
        const int s =
            std::system(("'" QM_QMARK_PATH "' " + args + " >" + output + " 2>" + dir + "err").c_str());
        EXPECT_EQ(WIFEXITED(s) ? WEXITSTATUS(s) : -1, status) << args;
        if (output != "/dev/full") {
            EXPECT_EQ(test::FileBytes(output), out) << args;
        }
        EXPECT_EQ(test::FileBytes(dir + "err").substr(0, err.size()), err) << args;
    }
}

}  // namespace
}  // namespace qm
