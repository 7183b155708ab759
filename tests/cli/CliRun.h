// Running the built vode-cli from the tests, and reading its JSON.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vode::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs VODE_CLI_PATH with the arguments (no shell), capturing both streams;
// through a wrapper command (found on PATH) when one is given.
CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& wrapper = {});

// Runs argv[0] (a full path) with the rest as its arguments, the same way.
CliResult runProgram(std::vector<std::string> argv);

// A parsed JSON value; numbers keep their text so floats can be read back
// exactly as written.
struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool flag = false;
  std::string text;  // string contents or the number as written
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  bool has(const std::string& key) const;
  const JsonValue& operator[](const std::string& key) const;  // fails the test when missing
  const JsonValue& operator[](std::size_t i) const { return items.at(i); }
  double number() const;
  float single() const;  // strtof of the text
  std::vector<std::string> keys() const;
};

// Parses a complete JSON text; false (and a message) when malformed.
bool parseJson(const std::string& text, JsonValue& value, std::string& error);

// The lines of a CSV text split at commas (no quoting).
std::vector<std::vector<std::string>> csvRows(const std::string& text);

}  // namespace vode::test
