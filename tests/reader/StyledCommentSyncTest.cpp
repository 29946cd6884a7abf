// SPDX-License-Identifier: MIT
#include "reader/StyledCommentSync.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// A whole file in a house style: which comments are read, what is missing, what update writes.
TEST(SyncHouseStyle, ReadsTheStylesCommentsBesideOurBoxes) {
    const std::string box = std::string("'") + std::string(72, '=') +
                            "\r\n'  Public Sub Old\r\n'  Purpose:\r\n'      Goes\r\n"
                            "'  Parameters:\r\n'\r\n'\r\n'  Returns:\r\n'\r\n'" +
                            std::string(72, '-') + "\r\n'  History:\r\n'" + std::string(72, '=') + "\r\n";
    const struct {
        std::string style;
        DevelopmentLanguage language;
        bool trim, missing, addMissing;
        std::string text, findings, updated;
    } rows[] = {
        // A box block is the box's to check, a plain remark documents its procedure, and a
        // procedure with nothing above it gets a comment of the style.
        {"vbtags", 0, false, true, true,
         box + "Sub Renamed()\r\nEnd Sub\r\n'Counts\r\n'@param n the n\r\nFunction Count(m)\r\n"
               "' plain words\r\nSub Plain(x)\r\n\r\n  Sub Bare(ByVal y As Long)\r\n",
         "13: header names 'Old', the declaration 'Renamed'+ | 17: documents parameter 'n', which the "
         "declaration "
         "does not have+ | 21: Public Sub Bare has no documentation comment+",
         box.substr(0, box.find("Old")) + "Renamed\r\n" +
             box.substr(box.find("Old") + 5, box.rfind("'  History") - box.find("Old") - 5) +
             "'  History:\r\n'      02-Jan-24            Al" + std::string(36, ' ') + "Updated\r\n'" +
             std::string(72, '=') +
             "\r\nSub Renamed()\r\nEnd Sub\r\n'Counts\r\n'@param m the n\r\nFunction Count(m)\r\n"
             "' plain words\r\nSub Plain(x)\r\n\r\n  '@Description(\"\")\r\n  '@param y\r\n  Sub Bare(ByVal "
             "y As Long)\r\n"},
        // Comments in an #if 0 region, under "qmark: ignore", above a class or above another comment
        // are left alone.
        {"doxygen", 1, false, false, false,
         "#if 0\n/// @param a x\nvoid f(int b);\n#endif\n// qmark: ignore\n/// @param a x\nvoid g(int b);\n"
         "/// @param a x\nclass C {};\n/** @param a x */\nvoid h(int b);\n/** @param q x */\n/**\n * @param "
         "a x\n"
         " */\nvoid k(int b);\n",
         "11: documents parameter 'a', which the declaration does not have+ | 16: documents parameter 'a', "
         "which "
         "the declaration does not have+",
         ""},
        // The box's rewritten lines lose their end blanks with trim.
        {"box", 1, true, false, false,
         "//" + std::string(72, '=') +
             "\n// Public Sub f\n// Purpose:\n// Parameters:\n//\n//\n// Returns:\n//\n//" +
             std::string(72, '-') + "\n// History:\n//" + std::string(72, '=') + "\nvoid f(int a);\n",
         "12: parameter 'a' is missing from the header+", ""},
    };
    for (const auto& r : rows) {
        HeaderSyncOptions sync{r.missing,
                               HeaderUpdate{{"02-Jan-24", "Al", "Updated"}, r.addMissing, {2024, 1, 2}}};
        StyleOptions options;
        options.trim = r.trim;
        const HeaderSyncResult result =
            SyncHouseStyle(r.text, r.language, *FindCommentStyle(r.style), options, {}, sync);
        std::string findings;
        for (const HeaderFinding& f : result.findings)
            findings += (findings.empty() ? "" : " | ") + std::to_string(f.line) + ": " + f.message +
                        (f.fix == HeaderFinding::Fix::None ? "" : "+");
        EXPECT_EQ(findings, r.findings) << r.text;
        const std::string updated = ApplyEdits(r.text, result.edits);
        if (!r.updated.empty()) {
            EXPECT_EQ(updated, r.updated);
        }
        for (const LineEdit& e : result.edits)
            for (const std::string& line : e.lines)
                EXPECT_TRUE(!r.trim || line.find(" \n") == std::string::npos) << line;
    }
}

}  // namespace
}  // namespace qm
