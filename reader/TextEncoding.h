// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

namespace qm {

// UTF-8 text in Windows-1252, what the classic IDE writes; bytes that are not UTF-8 are taken
// as Windows-1252 already. False when a character has no place there: unmappable holds it.
bool ToWindows1252(std::string_view text, std::string& out, std::string& unmappable);

}  // namespace qm
