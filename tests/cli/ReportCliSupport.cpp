#include "cli/ReportCliSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

namespace vode::test::reportcli {

namespace {

std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char ch : s) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return q + "'";
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find(separator, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}

// A printed number: digits with an optional sign, point and E exponent.
struct Number {
  double value = 0.0;
  double unit = 1.0;  // one step of the last printed digit
};

// Splits a field into its text pieces and its numbers.
void tokenize(const std::string& field, std::string& shape, std::vector<Number>& numbers) {
  std::size_t i = 0;
  while (i < field.size()) {
    const bool sign = field[i] == '-' && i + 1 < field.size() && std::isdigit(static_cast<unsigned char>(field[i + 1]));
    if (!sign && !std::isdigit(static_cast<unsigned char>(field[i]))) {
      shape += field[i++];
      continue;
    }
    std::size_t j = i + (sign ? 1 : 0);
    while (j < field.size() && std::isdigit(static_cast<unsigned char>(field[j]))) ++j;
    int decimals = 0;
    if (j + 1 < field.size() && field[j] == '.' && std::isdigit(static_cast<unsigned char>(field[j + 1]))) {
      ++j;
      while (j < field.size() && std::isdigit(static_cast<unsigned char>(field[j]))) ++j, ++decimals;
    }
    int exponent = 0;
    if (j + 2 < field.size() && field[j] == 'E' && (field[j + 1] == '+' || field[j + 1] == '-')) {
      std::size_t k = j + 2;
      while (k < field.size() && std::isdigit(static_cast<unsigned char>(field[k]))) ++k;
      exponent = std::stoi(field.substr(j + 1, k - j - 1));
      j = k;
    }
    Number n;
    n.value = std::strtod(field.substr(i, j - i).c_str(), nullptr);
    // Whole numbers are counts, segment numbers and frequencies: exact only.
    const bool whole = decimals == 0 && exponent == 0;
    n.unit = whole ? 0.0 : std::pow(10.0, exponent - decimals);
    numbers.push_back(n);
    shape += '#';
    i = j;
  }
}

// 0 equal, 1 within one last-digit step, 2 anything else.
int compareField(const std::string& a, const std::string& b) {
  if (a == b) return 0;
  std::string shapeA, shapeB;
  std::vector<Number> na, nb;
  tokenize(a, shapeA, na);
  tokenize(b, shapeB, nb);
  if (shapeA != shapeB || na.size() != nb.size()) return 2;
  for (std::size_t i = 0; i < na.size(); ++i) {
    // Across a decade (9.999E-006 and 1.000E-005) the finer step counts.
    const double unit = std::min(na[i].unit, nb[i].unit);
    if (std::fabs(na[i].value - nb[i].value) > unit * 1.000001 || (unit == 0.0 && na[i].value != nb[i].value)) return 2;
  }
  return 1;
}

}  // namespace

RunResult runVode(const std::vector<std::string>& args, const std::string& folder) {
  static int counter = 0;
  const std::string base = std::filesystem::temp_directory_path().string() + "/vode-cli-run-" +
                           std::to_string(::getpid()) + "-" + std::to_string(counter++);
  std::string command;
  if (!folder.empty()) command = "cd " + shellQuote(folder) + " && ";
  command += shellQuote(VODE_CLI_PATH);
  for (const std::string& a : args) {
    command += ' ';
    command += shellQuote(a);
  }
  command += " >" + shellQuote(base + ".out") + " 2>" + shellQuote(base + ".err") + " </dev/null";
  RunResult r;
  const int status = std::system(command.c_str());
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = readText(base + ".out");
  r.err = readText(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return r;
}

std::string readText(const std::string& path) {
  const auto bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Agreement::summary() const {
  std::ostringstream s;
  s << fields << " fields: " << exact << " exact, " << offByOne << " off by one, " << worse << " worse";
  for (const std::string& w : worseSamples) s << "\n  " << w;
  return s.str();
}

Agreement compareReports(const std::string& reference, const std::string& actual, const std::vector<int>& ignoreLines) {
  Agreement a;
  const auto expectedLines = split(reference, "\r\n");
  const auto actualLines = split(actual, "\r\n");
  const std::size_t lines = std::max(expectedLines.size(), actualLines.size());
  for (std::size_t l = 0; l < lines; ++l) {
    if (std::find(ignoreLines.begin(), ignoreLines.end(), static_cast<int>(l)) != ignoreLines.end()) continue;
    const auto e = l < expectedLines.size() ? split(expectedLines[l], ",") : std::vector<std::string>{};
    const auto g = l < actualLines.size() ? split(actualLines[l], ",") : std::vector<std::string>{};
    const std::size_t fields = std::max(e.size(), g.size());
    for (std::size_t f = 0; f < fields; ++f) {
      ++a.fields;
      const int verdict = f < e.size() && f < g.size() ? compareField(e[f], g[f]) : 2;
      if (verdict == 0) ++a.exact;
      if (verdict == 1) ++a.offByOne;
      if (verdict == 2) {
        ++a.worse;
        if (a.worseSamples.size() < 8)
          a.worseSamples.push_back("line " + std::to_string(l + 1) + " field " + std::to_string(f + 1) +
                                   ": expected '" +
                                   (f < e.size() ? e[f] : "<none>") + "' got '" + (f < g.size() ? g[f] : "<none>") +
                                   "'");
      }
    }
  }
  return a;
}

}  // namespace vode::test::reportcli
