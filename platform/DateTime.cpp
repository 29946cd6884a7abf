// SPDX-License-Identifier: MIT
#include "platform/DateTime.h"

#include <charconv>
#include <ctime>
#include <langinfo.h>

namespace qm {
namespace {

// 0..11; an impossible month reads as January.
int MonthIndex(int month) { return (month >= 1 && month <= 12) ? month - 1 : 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Digits only: from_chars alone would take a leading '-'.
bool ParseDigits(std::string_view text, int& value) {
    if (text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<DateTime> ParseIsoDate(std::string_view text) {
    DateTime date;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ParseDigits(text.substr(0, 4), date.year) ||
        !ParseDigits(text.substr(5, 2), date.month) || !ParseDigits(text.substr(8, 2), date.day)) {
        return std::nullopt;
    }
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

DateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

int DayOfWeek(const DateTime& date) {
    // Sakamoto's method: no time zone or mktime involved.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = date.year;
    const int m = (date.month >= 1 && date.month <= 12) ? date.month : 1;
    if (m < 3) y -= 1;
    const int d = (y + y / 4 - y / 100 + y / 400 + offsets[m - 1] + date.day) % 7;
    return d < 0 ? d + 7 : d;
}

// nl_langinfo reads the names straight from the LC_TIME locale; strftime would give the same
// text at several times the cost, and a comment block is built around one of them.
std::string MonthAbbreviation(int month) {
    return nl_langinfo(static_cast<nl_item>(ABMON_1 + MonthIndex(month)));
}

std::string MonthName(int month) { return nl_langinfo(static_cast<nl_item>(MON_1 + MonthIndex(month))); }

std::string WeekdayName(int dayOfWeek) {
    return nl_langinfo(static_cast<nl_item>(DAY_1 + ((dayOfWeek % 7) + 7) % 7));
}

}  // namespace qm
