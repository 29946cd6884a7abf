// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

namespace qm {

// A person's name as a passwd entry gives it: the GECOS field up to its first comma, blanks
// trimmed, else the login name.
std::string FullNameFromPasswd(std::string_view gecos, std::string_view login);

// The full name of the account the program runs as, by FullNameFromPasswd; empty when the
// system has no passwd entry for it.
std::string AccountFullName();

}  // namespace qm
