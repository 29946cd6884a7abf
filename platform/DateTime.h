// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// A local calendar date and time of day, as the comment block and Utility use it.
struct DateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Now, in the local time zone.
DateTime LocalNow();
// YYYY-MM-DD naming a real day of the calendar (year 1 or later), time 00:00:00; nullopt for
// anything else, signs, blanks and short fields included.
std::optional<DateTime> ParseIsoDate(std::string_view text);
// Day of week, 0 = Sunday.
int DayOfWeek(const DateTime& date);
// Abbreviated and full month and weekday names of the current LC_TIME locale
// ("Dec", "December", "Sun", "Sunday" under C or English).
std::string MonthAbbreviation(int month);
std::string MonthName(int month);
std::string WeekdayName(int dayOfWeek);

}  // namespace qm
