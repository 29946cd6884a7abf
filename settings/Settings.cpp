// SPDX-License-Identifier: MIT
#include "settings/Settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "platform/Profile.h"
#include "settings/RegIni.h"

namespace qm {
namespace {

// Keeps more digits than a double holds, so the value is the one the whole text would give.
constexpr std::size_t kMaxSignificantDigits = 40;
// Decimal exponents are saturated here; anything this large is far outside 32 bits anyway.
constexpr long kExponentLimit = 100000;

enum class Sanitiser { Text, Language, ListLength };

struct SettingKey {
    const char* section;
    const char* key;  // for list entries, the word that the position follows ("Param1")
    const char* defaultValue;
    Sanitiser sanitiser;
};

enum KeyIndex { PersonalNameKey, CommentsTypeKey, CountVBKey, EntryVBKey, CountVCKey, EntryVCKey };

// Every key of the settings file, its default and how its text becomes a value.
constexpr SettingKey kSettingKeys[] = {
    {"General", "Personal Name", "", Sanitiser::Text},
    {"General", "Comments Type", "0", Sanitiser::Language},
    {"Param Types VB", "Number", "", Sanitiser::ListLength},
    {"Param Types VB", "Param", "", Sanitiser::Text},
    {"Param Types VC", "Number", "", Sanitiser::ListLength},
    {"Param Types VC", "Param", "", Sanitiser::Text},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

long SaturatingAdd(long a, long b) { return std::clamp(a + b, -kExponentLimit, kExponentLimit); }

std::int32_t Sanitise(Sanitiser sanitiser, const std::string& text) {
    const std::int32_t n = ParseSettingNumber(text);
    if (sanitiser == Sanitiser::ListLength) return std::clamp(n, 0, kMaxTypeListEntries);
    return n;
}

std::string Read(const RegIni& ini, const SettingKey& key) {
    return ini.GetIniString(key.section, key.key, key.defaultValue);
}

std::int32_t ReadNumber(const RegIni& ini, KeyIndex index) {
    const SettingKey& key = kSettingKeys[index];
    return Sanitise(key.sanitiser, Read(ini, key));
}

void ReadList(const RegIni& ini, KeyIndex entryIndex, std::vector<std::string>& list) {
    const SettingKey& key = kSettingKeys[entryIndex];
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = ini.GetIniString(key.section, key.key + std::to_string(i + 1), key.defaultValue);
}

}  // namespace

Settings& TheSettings() {
    static Settings settings;
    return settings;
}

std::int32_t ParseSettingNumber(std::string_view text, std::int32_t outOfRange) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';

    // The digits are gathered without leading zeros; pointPosition says where the decimal
    // point sits among them, so the value is 0.<digits> * 10^pointPosition.
    std::string digits;
    long pointPosition = 0;
    for (; p < text.size() && IsDigit(text[p]); ++p) {
        if (digits.empty() && text[p] == '0') continue;
        if (digits.size() < kMaxSignificantDigits) digits.push_back(text[p]);
        pointPosition = SaturatingAdd(pointPosition, 1);
    }
    if (p < text.size() && text[p] == '.') {
        for (++p; p < text.size() && IsDigit(text[p]); ++p) {
            if (digits.empty() && text[p] == '0') {
                pointPosition = SaturatingAdd(pointPosition, -1);
                continue;
            }
            if (digits.size() < kMaxSignificantDigits) digits.push_back(text[p]);
        }
    }
    if (digits.empty()) return 0;

    // An exponent letter without digits ("1e", "1e+") adds nothing.
    if (p < text.size() && (text[p] == 'E' || text[p] == 'e' || text[p] == 'D' || text[p] == 'd')) {
        ++p;
        bool negativeExponent = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) negativeExponent = text[p++] == '-';
        long exponent = 0;
        for (; p < text.size() && IsDigit(text[p]); ++p)
            exponent = std::min(exponent * 10 + (text[p] - '0'), kExponentLimit);
        pointPosition = SaturatingAdd(pointPosition, negativeExponent ? -exponent : exponent);
    }

    if (pointPosition > 11) return outOfRange;  // at least 10^11, far beyond 32 bits
    if (pointPosition < -1) return 0;           // below 0.01, rounds to 0

    const std::string normal = "0." + digits + "e" + std::to_string(pointPosition);
    double value = 0;
    std::from_chars(normal.data(), normal.data() + normal.size(), value);
    // nearbyint in the default rounding mode sends halves to the even neighbour.
    const double rounded = std::nearbyint(negative ? -value : value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return outOfRange;
    return static_cast<std::int32_t>(rounded);
}

void LoadSettings(const std::function<void(std::int32_t commentsType)>& afterCommentsType) {
    RegIni ini;
    ini.FileName(std::string(kSettingsFileName));

    // Built aside and assigned at the end, so a failure halfway leaves the old record.
    Settings loaded;
    loaded.PersonalName = Read(ini, kSettingKeys[PersonalNameKey]);
    loaded.CommentsType = ReadNumber(ini, CommentsTypeKey);
    if (afterCommentsType) afterCommentsType(loaded.CommentsType);
    // The lists come from one reading of the file, parsed once however recently it changed.
    const ProfileSnapshot snapshot;
    loaded.ParamTypesVB.resize(static_cast<std::size_t>(ReadNumber(ini, CountVBKey)));
    loaded.ParamTypesVC.resize(static_cast<std::size_t>(ReadNumber(ini, CountVCKey)));
    ReadList(ini, EntryVBKey, loaded.ParamTypesVB);
    ReadList(ini, EntryVCKey, loaded.ParamTypesVC);
    TheSettings() = std::move(loaded);
}

bool SaveSettings(const std::string& personalName, std::int32_t commentsType) {
    RegIni ini;
    ini.FileName(std::string(kSettingsFileName));
    const SettingKey& typeKey = kSettingKeys[CommentsTypeKey];
    const SettingKey& nameKey = kSettingKeys[PersonalNameKey];
    const bool typeSaved = ini.SetIniString(typeKey.section, typeKey.key, std::to_string(commentsType));
    const bool nameSaved = ini.SetIniString(nameKey.section, nameKey.key, personalName);
    Settings& settings = TheSettings();
    settings.PersonalName = personalName;
    settings.CommentsType = commentsType;
    return typeSaved && nameSaved;
}

}  // namespace qm
