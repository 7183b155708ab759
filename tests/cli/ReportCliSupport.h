// Running vode-cli from the report and sonogram tests, and comparing a report
// with a reference report field by field.
#pragma once

#include <string>
#include <vector>

namespace vode::test::reportcli {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs vode-cli with the arguments (each quoted for the shell) in folder
// (empty: the current one).
RunResult runVode(const std::vector<std::string>& args, const std::string& folder = "");

std::string readText(const std::string& path);

// How a report agrees with its reference. Fields are the comma-separated
// pieces of each CR LF line; a field whose text differs only in numbers that
// are one unit of their last printed digit apart counts as off by one.
struct Agreement {
  int fields = 0;
  int exact = 0;
  int offByOne = 0;
  int worse = 0;
  std::vector<std::string> worseSamples;  // the first few, for the failure text
  std::string summary() const;
};

// ignoreLines: 0-based line numbers left out of the comparison.
Agreement compareReports(const std::string& reference, const std::string& actual,
                         const std::vector<int>& ignoreLines = {});

}  // namespace vode::test::reportcli
