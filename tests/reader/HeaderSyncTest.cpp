// SPDX-License-Identifier: MIT
#include "reader/HeaderSync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "reader/CommentBlockReader.h"

namespace qm {
namespace {

const HistoryLine kCreated{"06-Dec-98", "A. Developer", "Creation Date"};
const HistoryLine kUpdated{"07-Dec-26", "Bo", "Updated"};

std::string Messages(const HeaderSyncResult& r) {
    std::string s;
    for (const HeaderFinding& f : r.findings) s += std::to_string(f.line) + ": " + f.message + "\n";
    return s;
}

std::string Edit(const std::string& text, const std::string& from, const std::string& to) {
    return std::regex_replace(text, std::regex(from), to);
}

HeaderSyncOptions Updating(bool addMissing = false) {
    return {false, HeaderUpdate{kUpdated, addMissing, {2026, 12, 7}}};
}

ProcedureDescription Sub(std::vector<ParameterEntry> parameters) {
    return {"F", "", "", ProcedureKind::Sub, AccessLevel::Public, std::move(parameters)};
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
        const std::string text = BuildCommentBlock(d, r.language, {kCreated}) + r.declaration + "\n";
        const HeaderSyncResult result = SyncHeaders(text, r.language, Updating());
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

// Each drift is named once, and the block brought in step keeps every description whose
// parameter is still there, under its new name where it was renamed in place.
TEST(SyncHeaders, NamesEachParameterDrift) {
    struct Row {
        DevelopmentLanguage language;
        std::vector<ParameterEntry> block;
        std::string declaration, messages, updated;  // updated: name type description; ...
    };
    const Row rows[] = {
        {0,
         {{"a", "No", "Long", "first"}, {"b", "No", "String", "second"}},
         "Sub F(b As String, a As Long)",
         "header lists the parameters in another order than the declaration",
         "b String second; a Long first"},
        {0,
         {{"a", "No", "Long", "first"}, {"b", "No", "String", "second"}},
         "Sub F(B As String, A As Long)",
         "header lists the parameters in another order than the declaration",
         "b String second; a Long first"},
        {0,
         {{"OrderID", "No", "Long", "the order"}},
         "Sub F(ByVal OrderNo As Long)",
         "parameter 'OrderID' is now 'OrderNo'",
         "OrderNo Long the order"},
        {0,
         {{"a", "No", "Long", "gone"}},
         "Sub F(b As String)",
         "parameter 'b' is missing from the header\nheader lists parameter 'a', which the declaration does "
         "not have",
         "b String "},
        {0, {{"orderid", "No", "long", "kept"}}, "Sub F(OrderID As Long)", "", ""},
        {0,
         {{"a", "No", "Long", "kept"}},
         "Sub F(Optional a As Long)",
         "parameter 'a' is Optional in the declaration, not in the header",
         "a Long kept"},
        {1,
         {{"count", "No", "int", "kept"}},
         "void F(int Count);",
         "parameter 'count' is now 'Count'",
         "Count int kept"},
        {1, {{"", "No", "int", "kept"}}, "void F(int n);", "unnamed parameter 1 is now 'n'", "n int kept"},
        {1,
         {{"a", "No", "int", "first"}, {"b", "No", "int", "second"}},
         "void F(int b, int a);",
         "header lists the parameters in another order than the declaration",
         "b int second; a int first"},
    };
    for (const Row& r : rows) {
        const std::string text =
            BuildCommentBlock(Sub(r.block), r.language, {kCreated}) + r.declaration + "\n";
        const HeaderSyncResult result = SyncHeaders(text, r.language, Updating());
        std::string messages, updated;
        for (const HeaderFinding& f : result.findings) messages += (messages.empty() ? "" : "\n") + f.message;
        EXPECT_EQ(messages, r.messages) << r.declaration;
        const std::string after = ApplyEdits(text, result.edits);
        const CommentBlockResult read = ReadCommentBlock(after.substr(0, after.find(r.declaration)));
        ASSERT_TRUE(read) << read.error;
        for (const ParameterEntry& p : read.description->parameters)
            updated += (updated.empty() ? "" : "; ") + p.Name + " " + p.Type + " " + p.Description;
        if (!r.updated.empty()) {
            EXPECT_EQ(updated, r.updated) << r.declaration;
        }
    }
}

// A block edited by hand is read as it stands: check finds its real staleness, and update
// rewrites those lines alone and adds its history line, every other byte as it was.
TEST(SyncHeaders, KeepsHandEditsAndRewritesOnlyStaleLines) {
    const ProcedureDescription d{
        "GetTotal",
        "Adds up the lines of one order",
        "Currency; the order total",
        ProcedureKind::Function,
        AccessLevel::Public,
        {{"OrderID", "No", "Long", "Order to total"}, {"IncludeTax", "Yes", "Boolean", "Add sales tax"}}};
    ProcedureDescription fixed = d;
    fixed.parameters[0].Type = "String";
    fixed.returns = "Long; the order total";
    const std::string declaration =
        "Public Function GetTotal(ByVal OrderID As String, Optional IncludeTax As Boolean) As Long\r\n";
    const std::string stale = BuildCommentBlock(d, 0, {kCreated}) + declaration;
    const std::string updated = BuildCommentBlock(fixed, 0, {kCreated, kUpdated}) + declaration;
    const std::pair<std::string, std::string> edits[] = {
        {"^$", ""},
        {"lines of one order", "lines\r\n'      of one order"},
        {"'  Parameters:", "'  Notes:\r\n'      Rounds to cents\r\n'  Parameters:"},
        {"'\r\n'\r\n'  Returns:", "'\r\n'  Returns:"},
        {"'\r\n'  Returns:", "'\r\n'\r\n'  Returns:"},
        {"the order total", "the order\r\n'      total"},
        {"Add sales tax", "Add sales tax\r\n'                                             at the local rate"},
        {"98 +A\\. Developer +Creation", "98  A. Developer  Creation"},
        {"Boolean     IncludeTax        Add", "Boolean\t    IncludeTax\t      Add"},
        {"Long                 OrderID           Order", "Long\t\t    OrderID\t      Order"},
        {"\r\n", "\r"},
        {"^", "\xEF\xBB\xBF"},
        {"(^|\n)", "$1    "},
    };
    for (const auto& [from, to] : edits) {
        const std::string text = Edit(stale, from, to);
        const HeaderSyncResult check = SyncHeaders(text, 0);
        const std::string line =
            std::to_string(std::count(text.begin(), text.begin() + text.find("GetTotal(ByVal"), '\r') + 1);
        EXPECT_EQ(Messages(check),
                  line + ": parameter 'OrderID' is 'Long' in the header, 'String' in the declaration\n" +
                      line + ": header returns 'Currency', the declaration returns 'Long'\n")
            << to;
        EXPECT_EQ(ApplyEdits(text, SyncHeaders(text, 0, Updating()).edits), Edit(updated, from, to)) << to;
    }
}

// Which blocks are compared and which procedures are said to want one.
TEST(SyncHeaders, LooksAtBlocksInCodeAndProceduresThatWantOne) {
    const std::string staleVb = BuildCommentBlock(Sub({{"h", "No", "Long", ""}}), 0, {kCreated});
    const std::string staleCpp =
        BuildCommentBlock(Sub({{"a", "No", "long", ""}}), 1, {kCreated}) + "void F(int a);\n";
    const std::string twins =
        "#If VBA7 Then\r\nSub F(ByVal h As LongPtr)\r\n#Else\r\nSub F(ByVal h As Long)\r\n#End If\r\n";
    const std::string cppMessage = "parameter 'a' is 'long' in the header, 'int' in the declaration\n";
    const std::string scopes =
        "namespace n {\nclass C final : public B<int> {\n    Q_OBJECT\npublic:\n    explicit C(int a);\n"
        "    C(const C&) = delete;\n    int size() const { return 0; }\n    friend bool operator==(C, C);\n"
        "    // qmark: ignore\n    void Hidden();\n};\nvoid C::f() {}\nvoid Defined() {\n    int y = g(1);\n"
        "    h(y);\n}\nstatic void Local() {}\nnamespace {\nint Helper() { return 1; }\n}\n}\n";
    struct Row {
        DevelopmentLanguage language;
        std::string text;
        bool missing;
        std::string messages;
    };
    const Row rows[] = {
        {0, "Sub G()\r\n", false, ""},
        {0, "Sub G()\r\n", true, "1: Public Sub G has no header block\n"},
        {0, "' qmark: ignore\r\n\r\nSub G()\r\n", true, ""},
        {0, "' qmark: ignore\r\n" + staleVb + "Sub F(h As String)\r\n", true, ""},
        {0, Edit(staleVb, "Long   ", "LongPtr") + twins, true, ""},
        {0, staleVb + twins, true,
         "19: parameter 'h' is 'Long' in the header, 'LongPtr' in the declaration\n"},
        {0, twins, true, "2: Public Sub F has no header block\n"},
        {0,
         "#If VBA7 Then\r\n" + staleVb +
             "Sub F(ByVal h As LongPtr)\r\n#Else\r\nSub F(ByVal h As Long)\r\n#End If\r\n",
         true, "19: parameter 'h' is 'Long' in the header, 'LongPtr' in the declaration\n"},
        {0, "\xEF\xBB\xBF" + staleVb + "Sub F(h As String)", false,
         "18: parameter 'h' is 'Long' in the header, 'String' in the declaration\n"},
        {1, "auto s = R\"x(\n" + staleCpp + ")x\";\n/*\n" + staleCpp + "*/\n", false, ""},
        {1, "#if 0\n" + staleCpp + "#else\n" + staleCpp + "#endif\n", false, "38: " + cppMessage},
        {1, "int n = 1'000;\nconst char* s = \"\\\"//\";\n" + staleCpp, false, "20: " + cppMessage},
        {1, scopes, false, ""},
        {1, scopes, true,
         "5: Public Sub C has no header block\n7: Public Function size has no header block\n"
         "17: Public Sub Local has no header block\n19: Public Function Helper has no header block\n"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Messages(SyncHeaders(r.text, r.language, {r.missing, {}})), r.messages) << r.text;

    // Twins get one block, above the "#If"; C++ files get none.
    const HeaderSyncResult added = SyncHeaders(twins, 0, Updating(true));
    const ProcedureDescription first{
        "F", "", "", ProcedureKind::Sub, AccessLevel::Public, {{"h", "No", "LongPtr", ""}}};
    EXPECT_EQ(ApplyEdits(twins, added.edits), BuildCommentBlock(first, 0, "Bo", {2026, 12, 7}) + twins);
    EXPECT_TRUE(SyncHeaders("void G();\n", 1, {true, HeaderUpdate{kUpdated, true, {}}}).edits.empty());
}

// A file that is not UTF-8 is Windows-1252: the text update adds is written that way, or the
// file is left alone when a character has no place in it.
TEST(SyncHeaders, WritesAddedTextInTheFilesEncoding) {
    struct Row {
        std::string purpose, developer, written;  // written: the name as the new history line holds it
        std::size_t blanks;                       // after it, so that "Updated" ends in column 73
        std::string error;
    };
    const Row rows[] = {
        {"caf\xC3\xA9", "Jos\xC3\xA9 M\xC3\xBCller", "Jos\xC3\xA9 M\xC3\xBCller", 27, ""},
        {"caf\xE9", "Jos\xC3\xA9 M\xC3\xBCller \xE2\x82\xAC", "Jos\xE9 M\xFCller \x80", 25, ""},
        {"caf\xE9", "Zo\xC3\xAB \xF0\x9F\x98\x80", "", 0,
         "'\xF0\x9F\x98\x80' cannot be written in Windows-1252, this file's encoding (it is not UTF-8); left "
         "alone"},
    };
    for (const Row& r : rows) {
        ProcedureDescription d = Sub({{"h", "No", "Long", ""}});
        d.purpose = r.purpose;
        const std::string text = BuildCommentBlock(d, 0, {kCreated}) + "Sub F(h As String)\r\n";
        const HeaderSyncResult result =
            SyncHeaders(text, 0, {false, HeaderUpdate{{"07-Dec-26", r.developer, "Updated"}, false, {}}});
        EXPECT_EQ(result.error, r.error);
        EXPECT_EQ(result.edits.empty(), r.written.empty());
        const std::string line =
            "'      07-Dec-26            " + r.written + std::string(r.blanks, ' ') + "Updated\r\n";
        if (!r.written.empty()) {
            EXPECT_NE(ApplyEdits(text, result.edits).find(line), std::string::npos) << line;
        }
    }
}

TEST(SyncHeaders, ReportsBlocksItCannotMatch) {
    const std::string block = BuildCommentBlock(Sub({}), 0, {kCreated});
    const std::pair<std::string, std::string> rows[] = {
        {block, "1: header block stands above no procedure declaration\n"},
        {block + "\n" + block + "Sub F()\n", "1: header block stands above no procedure declaration\n"},
        {Edit(block, "Parameters", "Params") + "Sub F()\n",
         "8: cannot read the header block: expected \"Parameters:\"\n"},
        {"Sub G(a)\n  Private Property Let H(v)\nEnd Sub\nExit Sub\n' Sub J()\nDeclare Sub K Lib \"k\" ()\n"
         "Public Event E()\n",
         "1: Public Sub G has no header block\n2: Private Property H has no header block\n"},
        {"Friend Function K() As Long\n", "1: Friend Function K has no header block\n"},
    };
    for (const auto& [text, messages] : rows)
        EXPECT_EQ(Messages(SyncHeaders(text, 0, {true, {}})), messages) << text;
}

}  // namespace
}  // namespace qm
