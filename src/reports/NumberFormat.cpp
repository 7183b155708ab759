#include "reports/NumberFormat.h"

#include <cstdio>

namespace vode {

std::string formatFixed(double value, int decimals) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string formatExp(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3E", value);
  std::string text = buf;
  // printf gives at least two exponent digits; the reports want three.
  const std::string::size_type e = text.find('E');
  if (e == std::string::npos || e + 2 > text.size()) return text;  // INF or NAN
  const std::string::size_type digits = e + 2;
  const std::string::size_type count = text.size() - digits;
  if (count < 3) text.insert(digits, 3 - count, '0');
  return text;
}

std::string withSeparator(std::string number, char decimalSeparator) {
  if (decimalSeparator != '.')
    for (char& ch : number)
      if (ch == '.') ch = decimalSeparator;
  return number;
}

}  // namespace vode
