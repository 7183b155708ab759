// Numbering of the reports appended to a file ("Log"). The counter lives with
// the caller for the whole run and is shared by all files: a Save resets it,
// each Log numbers after both it and the highest number already in the file.
#pragma once

#include <string>
#include <string_view>

namespace vode {

struct LogCounter {
  int count = 0;
  // The main window's log-count label: the three characters after "+Log".
  std::string label = "000";
  // A process of its own (vode-cli) makes a missing log as a save would.
  bool numberFromFile = false;
};

// "+Log%3d" with the blanks of the field made zeros: +Log001, +Log123, and
// +Log1000 once the number outgrows three digits.
std::string logLine(int number);

// The label shown for a log number: "001" for 1, "100" for 1000.
std::string logLabel(int number);

// The highest number of the "+Log" lines of a report file's text, 0 when it
// has none; a log continues after it, so no number comes twice in a file.
int highestLogNumber(std::string_view text);

}  // namespace vode
