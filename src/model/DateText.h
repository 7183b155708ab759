// Dates as the records store them: a 64-bit float count of days since
// 30 December 1899 (the time of day in the fraction), shown as "dd/mm/yyyy".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vode {

// Today's local date, whole days.
double todayAsDays();

// "dd/mm/yyyy" of the day part of a stored date.
std::string formatDate(double days);

// Reads "d/m/yyyy" or "dd/mm/yyyy" (day and month digits optional, four year
// digits); nullopt when the text is not a valid calendar date.
std::optional<double> parseDate(std::string_view text);

// Calendar conversions, exposed for the readers that carry dates.
double daysFromCivil(int year, int month, int day);
void civilFromDays(double days, int& year, int& month, int& day);

}  // namespace vode
