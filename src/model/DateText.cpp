#include "model/DateText.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace vode {

namespace {

// Days between 1899-12-30 and 1970-01-01.
constexpr long EpochOffset = 25569;

// Howard Hinnant's days-from-civil, relative to 1970-01-01.
long unixDaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

void civilFromUnixDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long yy = static_cast<long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static const int table[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : table[m - 1];
}

}  // namespace

double daysFromCivil(int year, int month, int day) {
  return static_cast<double>(unixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             EpochOffset);
}

void civilFromDays(double days, int& year, int& month, int& day) {
  // The whole-day part, truncated toward zero as the stored dates do.
  double whole = std::trunc(days);
  if (!std::isfinite(whole) || whole < -700000.0 || whole > 3000000.0) whole = 0.0;
  civilFromUnixDays(static_cast<long>(whole) - EpochOffset, year, month, day);
}

double todayAsDays() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string formatDate(double days) {
  int y = 0, m = 0, d = 0;
  civilFromDays(days, y, m, d);
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", d, m, y);
  return text;
}

std::optional<double> parseDate(std::string_view text) {
  // Leading and trailing blanks are tolerated.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int field = 0;
  for (char ch : text) {
    if (ch == '/') {
      if (++field > 2) return std::nullopt;
    } else if (ch >= '0' && ch <= '9') {
      if (++digits[field] > 4) return std::nullopt;
      parts[field] = parts[field] * 10 + (ch - '0');
    } else {
      return std::nullopt;
    }
  }
  if (field != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4)
    return std::nullopt;
  const int d = parts[0], m = parts[1], y = parts[2];
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
  return daysFromCivil(y, m, d);
}

}  // namespace vode
