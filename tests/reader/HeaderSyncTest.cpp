// SPDX-License-Identifier: MIT
#include "reader/HeaderSync.h"

#include <gtest/gtest.h>

#include <regex>

#include "reader/CommentBlockReader.h"

namespace qm {
namespace {

std::string Messages(const HeaderSyncResult& r) {
    std::string s;
    for (const HeaderFinding& f : r.findings) s += std::to_string(f.line) + ": " + f.message + "\n";
    return s;
}

// The returns text a user wrote stays unless it starts with a type, as `qmark header` writes it.
TEST(SyncHeaders, ComparesTheReturnTypeOnlyWhereTheBlockGivesOne) {
    struct Row {
        DevelopmentLanguage language;
        std::string returns, declaration, messages, updated;
        AccessLevel access = AccessLevel::Public;
    };
    const Row rows[] = {
        {0, "Currency; the total", "Function F() As Currency", "", ""},
        {0, "long", "Function F() As Long", "", ""},
        {0, "True when the order is paid", "Function F() As Boolean", "", ""},
        {0, "Long; the total", "Function F() As Currency",
         "header returns 'Long', the declaration returns 'Currency'", "Currency; the total"},
        {0, "Long - the total", "Function F()", "header returns 'Long', the declaration returns 'Variant'",
         "Variant - the total"},
        {0, "", "Function F() As Long", "header gives no return type, the declaration returns 'Long'",
         "Long"},
        {0, "Count", "Function F() As Long", "header returns 'Count', the declaration returns 'Long'",
         "Long"},
        {1, "const std::string &; the name", "const std::string& F();", "", ""},
        {1, "The number of lines", "int F();", "", ""},
        {1, "int; long; the old size", "void F();",
         "header says Function, the declaration is a Sub\n17: header returns 'int', the declaration returns "
         "nothing",
         "the old size"},
        {1, "unsigned long", "std::size_t F();",
         "header returns 'unsigned long', the declaration returns 'std::size_t'", "std::size_t"},
        {1, "std::map<int, Row>", "std::map<int,Row> F();", "", ""},
        // A declaration alone shows a C++ access only when it is written on its line.
        {1, "int", "int F();", "", "", AccessLevel::Private},
        {1, "int", "public: int F();", "header says Private, the declaration is Public", "int",
         AccessLevel::Private},
    };
    for (const Row& r : rows) {
        ProcedureDescription d{"F", "", r.returns, ProcedureKind::Function, r.access, {}};
        const std::string text =
            BuildCommentBlock(d, r.language, "Ann", {1998, 12, 6}) + r.declaration + "\n";
        const HeaderUpdate update{{"07-Dec-26", "Bo", "Updated"}, false, {}};
        const HeaderSyncResult result = SyncHeaders(text, r.language, &update);
        EXPECT_EQ(Messages(result), r.messages.empty() ? "" : "17: " + r.messages + "\n") << r.returns;
        if (r.updated.empty()) {
            EXPECT_TRUE(result.edits.empty());
        } else {
            const std::string updated = ApplyEdits(text, result.edits);
            const CommentBlockResult read = ReadCommentBlock(updated.substr(0, updated.find(r.declaration)));
            ASSERT_TRUE(read) << read.error;
            EXPECT_EQ(read.description->returns, r.updated);
        }
    }
}

TEST(SyncHeaders, ReportsBlocksItCannotMatch) {
    const std::string block = BuildCommentBlock({"F", "", "", ProcedureKind::Sub, AccessLevel::Public, {}}, 0,
                                                "Ann", {1998, 12, 6});
    const std::pair<std::string, std::string> rows[] = {
        {block, "1: header block stands above no procedure declaration\n"},
        {block + "\n" + block + "Sub F()\n", "1: header block stands above no procedure declaration\n"},
        {std::regex_replace(block, std::regex("Parameters"), "Params") + "Sub F()\n",
         "8: cannot read the header block: expected \"Parameters:\"\n"},
        {"Sub G(a)\n  Private Property Let H(v)\nEnd Sub\nExit Sub\n' Sub J()\nDeclare Sub K Lib \"k\" ()\n"
         "Public Event E()\n",
         "1: Public Sub G has no header block\n2: Private Property H has no header block\n"},
    };
    for (const auto& [text, messages] : rows) EXPECT_EQ(Messages(SyncHeaders(text, 0)), messages) << text;
}

}  // namespace
}  // namespace qm
