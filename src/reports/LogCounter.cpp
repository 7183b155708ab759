#include "reports/LogCounter.h"

#include <algorithm>
#include <cstdio>

namespace vode {

std::string logLine(int number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "+Log%03d", number);
  return buf;
}

std::string logLabel(int number) { return logLine(number).substr(4, 3); }

int highestLogNumber(std::string_view text) {
  int highest = 0;
  std::string_view::size_type start = 0;
  while (start < text.size()) {
    std::string_view::size_type end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.substr(0, 4) == "+Log") {
      int value = 0;
      std::string_view::size_type i = 4;
      // Numbers beyond the int range cannot come from our own logs; stop
      // reading digits long before they could overflow.
      for (; i < line.size() && i < 13 && line[i] >= '0' && line[i] <= '9'; ++i) value = value * 10 + (line[i] - '0');
      const bool digitsOnly = i > 4 && (i == line.size() || (line[i] == '\r' && i + 1 == line.size()));
      if (digitsOnly) highest = std::max(highest, value);
    }
    start = end + 1;
  }
  return highest;
}

}  // namespace vode
