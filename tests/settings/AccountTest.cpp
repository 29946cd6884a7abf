// SPDX-License-Identifier: MIT
#include "settings/Account.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(FullNameFromPasswd, TakesTheNameBeforeTheFirstCommaElseTheLogin) {
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"Jos\xC3\xA9 M\xC3\xBCller,Room 4,555-1234,", "jose", "Jos\xC3\xA9 M\xC3\xBCller"},
        {" Ann Lee ", "ann", "Ann Lee"},
        {",,,", "nobody", "nobody"},
        {"", "bo", "bo"},
    };
    for (const auto& [gecos, login, name] : rows) EXPECT_EQ(FullNameFromPasswd(gecos, login), name) << gecos;
}

}  // namespace
}  // namespace qm
