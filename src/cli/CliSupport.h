// Shared pieces of the vode-cli commands: option parsing, JSON output, the
// prompter that prints to stderr, and the exit codes.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "model/ExportText.h"  // csvField
#include "model/Prompter.h"

namespace vode::cli {

constexpr int ExitOk = 0;
constexpr int ExitFileError = 1;
constexpr int ExitUsage = 2;

// Options by name ("--channel") with the number of values each takes. A
// repeatable option gathers the values of every use in order; any other keeps
// its last use.
struct OptionSpec {
  std::string name;
  int values = 0;
  bool repeatable = false;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> options;

  bool has(const std::string& name) const { return options.count(name) != 0; }
  std::string value(const std::string& name, const std::string& fallback = "") const;
};

// false with a message in error on an unknown option or a missing value.
bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, ParsedArgs& out,
               std::string& error);

// Strict number parsing for option values.
bool parseInt(const std::string& text, long long& value);
bool parseFloat(const std::string& text, double& value);

// Messages go to stderr (or the stream given, which holds one file's messages
// in a batch); every question is answered with its default.
class StderrPrompter : public Prompter {
 public:
  explicit StderrPrompter(std::ostream& err);
  StderrPrompter();
  void message(MessageKind kind, const std::string& text) override;
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override;

 private:
  std::ostream& err_;
};

// A small streaming JSON writer producing one compact object.
class Json {
 public:
  explicit Json(std::ostream& out) : out_(out) {}
  Json& beginObject(const std::string& key = "");
  Json& endObject();
  Json& beginArray(const std::string& key = "");
  Json& endArray();
  Json& value(const std::string& key, const std::string& text);
  Json& value(const std::string& key, const char* text) { return value(key, std::string(text)); }
  Json& value(const std::string& key, long long number);
  Json& value(const std::string& key, int number) { return value(key, static_cast<long long>(number)); }
  Json& value(const std::string& key, float number);
  Json& value(const std::string& key, double number);
  Json& boolean(const std::string& key, bool flag);
  // A file name or other text of the system, most likely UTF-8: valid UTF-8
  // passes through so readers see the same name; any other byte b becomes
  // \udcXX (U+DC00 + b), which decoders of file names turn back into b.
  Json& path(const std::string& key, const std::string& text);

  static std::string quote(const std::string& text, bool utf8 = false);
  // Shortest text that reads back to the same float / double.
  static std::string number(float f);
  static std::string number(double d);

 private:
  void separator(const std::string& key);
  std::ostream& out_;
  std::vector<bool> first_{true};
};

// Usage text helper: prints to stderr with the error.
int usageError(const std::string& message, const std::string& usage);

// True, after printing the usage to stdout, when any argument is "--help" or
// "-h": help wins over every other option, right or wrong.
bool printHelpIfAsked(const std::vector<std::string>& arguments, const std::string& usage);

}  // namespace vode::cli
