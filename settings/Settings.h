// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr const char* kSettingsFileName = "Qmark98.ini";
// Longest type list read from the settings file. No hand-edited file comes near it; it keeps
// a "Number" of 2147483647 from allocating gigabytes or looping for minutes.
inline constexpr std::int32_t kMaxTypeListEntries = 10000;

// The developer's settings, shared by the whole process.
struct Settings {
    std::string PersonalName;
    std::int32_t CommentsType = 0;  // 0 Visual Basic, 1 Visual C++, anything else: neither
    std::vector<std::string> ParamTypesVB;
    std::vector<std::string> ParamTypesVC;
};

// The process-wide record.
Settings& TheSettings();

// The number at the start of text as the settings file's numeric keys are read: leading
// blanks skipped, text that does not start with a number (and empty text) is 0, halves round
// to even. A value beyond the 32-bit range gives outOfRange.
std::int32_t ParseSettingNumber(std::string_view text, std::int32_t outOfRange = 0);

// Reads ConfigDir()/Qmark98.ini into TheSettings(). afterCommentsType, when given, runs as
// soon as CommentsType is known, before the type lists are read. A missing or damaged file
// gives defaults; never throws for the file's content.
void LoadSettings(const std::function<void(std::int32_t commentsType)>& afterCommentsType = {});

// Writes "Comments Type" (as decimal) and "Personal Name" of section "General", both every
// time, and puts both into TheSettings() even when a write fails. True when both were written.
bool SaveSettings(const std::string& personalName, std::int32_t commentsType);

}  // namespace qm
