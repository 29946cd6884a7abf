// SPDX-License-Identifier: MIT
#include "settings/Utility.h"

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/FileDescriptor.h"
#include "platform/FileError.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace qm {
namespace {

// The character-walking routines count positions in 16 bits.
constexpr std::size_t kMaxWalkLength = 32767;

void CheckWalkLength(std::string_view text) {
    if (text.size() > kMaxWalkLength && CharLength(text) > kMaxWalkLength)
        throw OverflowError("text longer than 32,767 characters");
}

std::string Padded(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

std::string LocaleText(nl_item item, std::string_view fallback) {
    const char* text = nl_langinfo(item);
    return (text && *text) ? std::string(text) : std::string(fallback);
}

std::string ReadFileOrThrow(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) throw FileError("cannot read", path, errno);
    return text;
}

}  // namespace

std::string FormatCurrency(double nCur, std::string_view decimalPoint, std::string_view groupSeparator) {
    if (std::isnan(nCur)) return "$NaN";
    if (std::isinf(nCur)) return nCur < 0 ? "$-Inf" : "$Inf";

    // The shortest text that reads back as nCur, so a half is judged on the number as it was
    // written: 1.005 gives 1.01 although the nearest double lies just below it.
    char buffer[400];  // the longest fixed-point double, the smallest subnormal, needs 326
    const auto converted =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(nCur), std::chars_format::fixed);
    const std::string_view text(buffer, static_cast<std::size_t>(converted.ptr - buffer));
    const std::size_t point = text.find('.');
    std::string digits(text.substr(0, point));
    std::string fraction(point == std::string_view::npos ? "" : text.substr(point + 1));
    const bool roundUp = fraction.size() > 2 && fraction[2] >= '5';
    fraction.resize(2, '0');
    digits += fraction;
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) digits.insert(digits.begin(), '1');
        else ++digits[i - 1];
    }

    const std::size_t wholeLength = digits.size() - 2;
    std::string result = "$";
    // A value that rounds to nothing shows no sign.
    if (nCur < 0 && digits.find_first_not_of('0') != std::string::npos) result += '-';
    for (std::size_t i = 0; i < wholeLength; ++i) {
        if (i > 0 && (wholeLength - i) % 3 == 0) result += groupSeparator;
        result += digits[i];
    }
    result += decimalPoint;
    result.append(digits, wholeLength, 2);
    return result;
}

std::string FormatSeparator(std::string_view strftimeFormat, std::string_view fallback) {
    const std::string_view f = strftimeFormat;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto c = static_cast<unsigned char>(f[i]);
        if (c == '%') {
            // Skip glibc's flags, a width and the E/O modifiers; the loop steps over the letter.
            ++i;
            while (i < f.size() && std::string_view("_-0^#").find(f[i]) != std::string_view::npos) ++i;
            while (i < f.size() && f[i] >= '0' && f[i] <= '9') ++i;
            if (i < f.size() && (f[i] == 'E' || f[i] == 'O')) ++i;
            continue;
        }
        // Letters and digits are literal text, and a non-ASCII byte would be part of a word
        // such as the CJK year mark, not a separator.
        const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (c < 0x80 && !alphanumeric) return std::string(1, static_cast<char>(c));
    }
    return std::string(fallback);
}

std::string Utility::FormatNumber(double nCur) const {
    const std::lconv* conventions = std::localeconv();
    const std::string decimalPoint =
        (conventions->decimal_point && *conventions->decimal_point) ? conventions->decimal_point : ".";
    std::string_view group = conventions->thousands_sep ? conventions->thousands_sep : "";
    // C and POSIX define no grouping character; the pattern groups anyway.
    if (group.empty()) group = decimalPoint == "," ? "." : ",";
    return FormatCurrency(nCur, decimalPoint, group);
}

std::string Utility::FormatDate(const DateTime& nDate, int nType) const {
    const std::string yyyy = Padded(nDate.year, 4);
    switch (nType) {
    case 1:
        return WeekdayName(DayOfWeek(nDate)) + ", " + MonthAbbreviation(nDate.month) + " " +
               std::to_string(nDate.day) + " " + yyyy;
    case 2: {
        const std::string date = FormatSeparator(LocaleText(D_FMT, ""), "/");
        const std::string time = FormatSeparator(LocaleText(T_FMT, ""), ":");
        const int hour12 = ((nDate.hour % 12) + 12) % 12;
        return Padded(nDate.month, 2) + date + Padded(nDate.day, 2) + date +
               Padded(((nDate.year % 100) + 100) % 100, 2) + " " + Padded(hour12 == 0 ? 12 : hour12, 2) +
               time + Padded(nDate.minute, 2) + time + Padded(nDate.second, 2) + " " +
               (nDate.hour < 12 ? LocaleText(AM_STR, "AM") : LocaleText(PM_STR, "PM"));
    }
    case 3: {
        const std::string date = FormatSeparator(LocaleText(D_FMT, ""), "/");
        return std::to_string(nDate.month) + date + std::to_string(nDate.day) + date + yyyy;
    }
    default: return {};
    }
}

std::string Utility::PrepareSQLString(std::string_view strSQL) const {
    CheckWalkLength(strSQL);
    std::string result;
    result.reserve(strSQL.size());
    for (const char c : strSQL) {
        result += c;
        if (c == '\'') result += '\'';
    }
    return result;
}

int Utility::YearsDifference(const DateTime& varNow, const DateTime& varThen) const {
    const long long difference = static_cast<long long>(varNow.year) - varThen.year;
    return static_cast<int>(
        std::clamp<long long>(difference, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string Utility::ReadFile(const std::string& strFileName) const { return ReadFileOrThrow(strFileName); }

std::string Utility::FileRead(const std::string& strFile) const { return ReadFileOrThrow(strFile); }

void Utility::FileSave(const std::string& strFile, std::string_view strOut) const {
    FileDescriptor file(::open(strFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file) throw FileError("cannot write", strFile, errno);
    std::string data(strOut);
    data += "\r\n";
    if (!WriteAll(file.get(), data) || !file.close()) throw FileError("cannot write", strFile, errno);
}

void Utility::FileSave(int fd, const std::string& strFile, std::string_view strOut) const {
    std::string data(strOut);
    data += "\r\n";
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, data))
        throw FileError("cannot write", strFile, errno);
}

std::string Utility::StripPathFromFileName(std::string_view strFile) const {
    const std::size_t slash = strFile.rfind('\\');
    return std::string(slash == std::string_view::npos ? strFile : strFile.substr(slash + 1));
}

std::string Utility::ReplaceChars(std::string_view strString, std::string_view strFrom,
                                  std::string_view strTo) const {
    CheckWalkLength(strString);
    if (strFrom.empty()) return std::string(strString);
    std::string result;
    std::size_t p = 0;
    for (;;) {
        const std::size_t match = strString.find(strFrom, p);
        if (match == std::string_view::npos) break;
        result.append(strString, p, match - p);
        result += strTo;
        p = match + strFrom.size();
    }
    result.append(strString, p);
    return result;
}

}  // namespace qm
