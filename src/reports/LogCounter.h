// Numbering of the reports appended to a file ("Log"). The counter lives with
// the caller for the whole run and is shared by all files: a Save resets it,
// each Log increments it before writing its log line.
#pragma once

#include <string>
#include <string_view>

namespace vode {

struct LogCounter {
  int count = 0;
  // The main window's log-count label: the three characters after "+Log".
  std::string label = "000";
  // A process of its own (vode-cli) numbers on from the last "+Log" line of
  // the file, read while no other appender can change it, and makes a missing
  // log as a save would.
  bool numberFromFile = false;
};

// "+Log%3d" with the blanks of the field made zeros: +Log001, +Log123, and
// +Log1000 once the number outgrows three digits.
std::string logLine(int number);

// The label shown for a log number: "001" for 1, "100" for 1000.
std::string logLabel(int number);

// The number of the last "+Log" line of a report file's text, 0 when it has
// none; lets a new process continue the numbering of an existing file.
int lastLogNumber(std::string_view text);

}  // namespace vode
