// SPDX-License-Identifier: MIT
#include "reader/DeclarationSpan.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

const std::string kRule(72, '=');
const std::string kVbBlock =
    "'" + kRule + "\n'  Public Sub Old\n'" + std::string(72, '-') + "\n'" + kRule + "\n'\n'\n'\n";
const std::string kCppBlock = "  //" + kRule + "\n  // Public Function F\n  //" + kRule + "\n";

struct Row {
    DevelopmentLanguage language;
    std::string text;
    std::size_t line;
    std::string expected;  // "first-last", "first-last header H for F" or "error: why"
    std::size_t through = 0;
};

TEST(LocateDeclaration, FindsTheWholeDeclarationAroundALine) {
    const Row rows[] = {
        {0, "Option Explicit\nSub A(x As Long)\n", 1, "1-1"},
        {0, "x = 1\nPublic Function F( _\r\n  a As Long, _\r\n  b As Long) As Long\r\nEnd Function\n", 1,
         "1-3"},
        {0, "x = 1\nPublic Function F( _\n  a As Long, _\n  b As Long) As Long\n", 3, "1-3"},
        {0, "Attribute VB_Name = \"M\"\n", 0, "error: not a Sub, Function or Property declaration"},
        {0, "Sub A()\n", 4, "error: the text has only 1 lines"},
        {0, kVbBlock + "\nAttribute A.VB_Description = \"x\"\nSub A( _\n b)\n", 10, "9-10 header 0 for 9"},
        {0, "'" + kRule + "\n'  Friend Sub A\n'" + kRule + "\nFriend Sub A()\n", 3, "3-3 header 0 for 3"},
        // A selection further down: every declaration in it is looked at.
        {0, "Sub B()\n\n" + kVbBlock + "Sub A()\nEnd Sub\n", 0, "0-10 header 2 for 9", 10},
        {0, "Sub B()\nEnd Sub\nSub A()\n", 0, "0-2", 7},
        // A free-text block or a hand-written remark is not ours to update.
        {0, "'" + kRule + "\n' Notes\n'" + kRule + "\nSub A()\n", 3, "3-3"},
        {0, "' Adds\nSub A()\n", 1, "1-1"},
        {1, "int a = 1;\nstatic std::string Describe(const Order& order,\n    int width = 72) noexcept;\n", 2,
         "1-2"},
        {1, "class A {\npublic:\n    // why\n    void F(int a,\n           int b);\n", 4, "3-4"},
        {1, "class A {\n  Q_OBJECT\nprivate slots:\n  void F(\n    int a);\n", 3, "3-4"},
        {1, "class A {\n  Q_OBJECT\npublic Q_SLOTS:\n  void F(\n    int a);\n", 3, "3-4"},
        {1, "class A {\n  Q_OBJECT\n  Q_DISABLE_COPY(A)\n  void F(\n    int a);\n", 4, "3-4"},
        {1, "template <typename T>\nT Max(T a,\n      T b)\n{\n    return a;\n}\n", 2, "0-2"},
        {1, "#define X(a) \\\n    a;\nvoid F(\n  int a);\n", 3, "2-3"},
        {1, "#include <a>\nvoid F(\n  int a);\n", 0, "error: a blank, comment or preprocessor line"},
        {1, "class A {\n  A_B,\n};\nint F();\n", 2, "error: a blank, comment or preprocessor line"},
        {1, "#if 0\nvoid F();\n#endif\n", 1, "error: a line the preprocessor leaves out"},
        {1, "class A {\npublic:\n  void F();\n", 1, "error: an access label, not a procedure"},
        {1, "class A {\nprivate: void F(int a,\n    int b);\n", 2, "1-2"},
        // Braces and semicolons inside literals and comments end nothing.
        {1,
         "auto s = R\"x(a \"((\" {\n})x\";\nchar c = '\'';\nauto t = \"\\\"(\";\nint n = 1'000;\n/* ;\n} "
         "*/\nvoid F(\n"
         "  int a);\n",
         8, "7-8"},
        {1, "void F() {\n    return x;\n}\n", 1, "error: a statement, not a procedure"},
        {1, kCppBlock + "\n  int F(int a,\n        int b);\n", 5, "4-5 header 0 for 4"},
        {1, "// " + kRule + "\nint F();\n", 1, "1-1"},
        {2, "Sub A()\n", 0, "error: unknown language 2"},
    };
    for (const Row& r : rows) {
        const DeclarationSpan span = LocateDeclaration(r.text, r.line, r.language, r.through);
        std::string got = std::to_string(span.first) + "-" + std::to_string(span.last);
        if (span.headerOpen)
            got += " header " + std::to_string(*span.headerOpen) + " for " + std::to_string(span.headerFor);
        if (!span.error.empty()) got = "error: " + span.error;
        EXPECT_EQ(got, r.expected) << "line " << r.line << " of:\n" << r.text;
    }
}

}  // namespace
}  // namespace qm
