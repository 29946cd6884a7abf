// SPDX-License-Identifier: MIT
#include "platform/DateTime.h"

#include <ctime>

namespace qm {
namespace {

std::string Strftime(const char* format, const std::tm& tm) {
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, n);
}

std::tm MonthTm(int month) {
    std::tm tm{};
    tm.tm_year = 100;
    tm.tm_mday = 1;
    tm.tm_mon = (month >= 1 && month <= 12) ? month - 1 : 0;
    return tm;
}

}  // namespace

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

std::string MonthAbbreviation(int month) { return Strftime("%b", MonthTm(month)); }

std::string MonthName(int month) { return Strftime("%B", MonthTm(month)); }

std::string WeekdayName(int dayOfWeek) {
    std::tm tm{};
    tm.tm_wday = ((dayOfWeek % 7) + 7) % 7;
    return Strftime("%A", tm);
}

}  // namespace qm
