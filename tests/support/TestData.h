// SPDX-License-Identifier: MIT
// Files under tests/data, and checks shared by every test binary.
#pragma once
#include <gtest/gtest.h>
#include <string>

namespace qm::test {

// The bytes of the file at path exactly as stored; a missing or unreadable file fails the test.
std::string FileBytes(const std::string& path);

// FileBytes of tests/data/name.
std::string ReadGolden(const std::string& name);

}  // namespace qm::test

// Expects statement to throw type whose what() is exactly message.
// clang-format off
#define EXPECT_THROW_MSG(statement, type, message)                                                 \
    do {                                                                                           \
        try { statement; ADD_FAILURE() << #statement " threw nothing"; }                           \
        catch (const type& e) { EXPECT_EQ(std::string(e.what()), message) << #statement; }         \
    } while (false)
// clang-format on
