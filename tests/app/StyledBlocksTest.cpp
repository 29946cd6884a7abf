// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/qmark/QmarkCli.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// block, header and describe in the style the project's file or --style names.
TEST(QmarkStyles, BlockHeaderAndDescribeFollowTheStyleFile) {
    const fs::path project = fs::path(std::getenv("TMPDIR")) / "styled";
    fs::create_directories(project / "src");
    const std::string file = (project / "src/a.h").string();
    const std::string fixed = "--stdin-filename|" + file + "|", al = "|--developer|Al|--date|2024-01-02";
    const std::string json = R"({"name": "f", "purpose": "Sums", "kind": "Function",
                                 "parameters": [{"name": "a", "description": "first"}]})";
    const struct {
        std::string styleFile, args, input, out, err;
    } rows[] = {
        {"[style]\ncpp=doxygen\n", "header|--language|1|--purpose|Sums",
         "  template <class T>\r\n  T f(T a);\r\n",
         "  /**\r\n   * @brief Sums\r\n   *\r\n   * @tparam T\r\n   * @param a\r\n   * @return\r\n   */\r\n"
         "  template <class T>\r\n  T f(T a);\r\n",
         ""},
        {"[style]\ncpp=doxygen\nopener=///\ntag=\\\nbrief=no\nhistory=yes", "block|--language|1" + al, json,
         "/// Sums\r\n///\r\n/// \\param a first\r\n/// \\return\r\n/// \\author Al\r\n/// \\date "
         "2024-01-02\r\n",
         ""},
        {"", "block|--declaration|--language|0|--style|vbtags", "Sub Go(ByVal n As Long)",
         "'@Description(\"\")\r\n'@param n\r\n", ""},
        {"[style]\nvb=xmldoc", "header|--language|0", "Function F() As Long\n",
         "''' <summary>\n'''\n''' </summary>\n''' <returns></returns>\nFunction F() As Long\n", ""},
        {"[style]\ncpp=doxygen\n", "describe|--language|1",
         "/**\n * @brief Sums.\n * @param[in] b the b\n * @return total\n */\nint f(int a, int b);\n",
         "{\n  \"name\": \"f\",\n  \"purpose\": \"Sums.\",\n  \"returns\": \"total\",\n  \"kind\": "
         "\"Function\",\n"
         "  \"access\": \"Public\",\n  \"parameters\": [\n    {\n      \"name\": \"a\",\n      \"optional\": "
         "\"No\",\n"
         "      \"type\": \"int\",\n      \"description\": \"\"\n    },\n    {\n      \"name\": \"b\",\n"
         "      \"optional\": \"No\",\n      \"type\": \"int\",\n      \"description\": \"the b\"\n    }\n  "
         "]\n}\n",
         ""},
        {"[style]\ntrim=yes", "block|--language|1|--name|f" + al, "",
         "//" + std::string(72, '=') +
             "\r\n// Public Sub f\r\n// Purpose:\r\n//\r\n// Parameters:\r\n//\r\n//\r\n"
             "// Returns:\r\n//\r\n//" +
             std::string(72, '-') +
             "\r\n// History:\r\n//     02-Jan-24            Al"
             "                               Creation Date\r\n//" +
             std::string(72, '=') + "\r\n//\r\n//\r\n//\r\n",
         ""},
        // An editor asking where to put a comment hears that one is there.
        {"[style]\ncpp=doxygen\n", "locate|--language|1|3", "/// @brief F.\n\nint f(int a);\n", "",
         "qmark: line 3 has a doxygen comment; use 'qmark update'\n"},
        // A filter gives its input back on any failure.
        {"[style]\ncpp=doxygen\n[check]\nmissing=perhaps", "header|--language|1", "int f();\n", "int f();\n",
         "qmark: " + (project / ".quillmark").string() + ":4: 'perhaps' is not yes or no\n"},
        {"", "header|--language|0|--style|doxygen", "Sub Go()\n", "Sub Go()\n",
         "qmark: style 'doxygen' writes no Visual Basic comments\n"},
        {"", "block|--language|1|--style|javadoc", "{}", "",
         "qmark: no style 'javadoc' (use box, doxygen, xmldoc or vbtags)\n"},
    };
    for (const auto& r : rows) {
        std::ofstream(project / ".quillmark", std::ios::trunc) << r.styleFile;
        std::vector<std::string> args;
        std::istringstream words(fixed + r.args);
        for (std::string word; std::getline(words, word, '|');) args.push_back(word);
        std::istringstream in(r.input);
        std::ostringstream out, err;
        const int status = RunQmark(args, in, out, err);
        EXPECT_EQ(out.str(), r.out) << r.args;
        EXPECT_EQ(err.str(), r.err) << r.args;
        EXPECT_EQ(status, r.err.empty() ? 0 : 2) << r.args;
    }
}

}  // namespace
}  // namespace qm
