// SPDX-License-Identifier: MIT
// Files under tests/data, and checks shared by every test binary.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace qm::test {

// The bytes of the file at path exactly as stored; a missing or unreadable file fails the test.
std::string FileBytes(const std::string& path);

// FileBytes of tests/data/name.
std::string ReadGolden(const std::string& name);

// The standard output of `sh -c command`.
std::string Shell(const std::string& command);

// What body returns, run in a child process: as nobody (65534) when the tests run as root,
// else as the user running them. nullopt when that user cannot enter dir.
std::optional<std::string> InChildAsNobody(const std::string& dir, const std::function<std::string()>& body);

}  // namespace qm::test

// Expects statement to throw type whose what() is exactly message.
// clang-format off
#define EXPECT_THROW_MSG(statement, type, message)                                                 \
    do {                                                                                           \
        try { statement; ADD_FAILURE() << #statement " threw nothing"; }                           \
        catch (const type& e) { EXPECT_EQ(std::string(e.what()), message) << #statement; }         \
    } while (false)
// clang-format on
