#include "cli/CliRun.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

extern char** environ;

namespace vode::test {

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Parser {
 public:
  explicit Parser(const std::string& t) : t_(t) {}

  bool document(JsonValue& v, std::string& error) {
    if (!value(v)) {
      error = error_ + " at " + std::to_string(p_);
      return false;
    }
    space();
    if (p_ != t_.size()) {
      error = "trailing text at " + std::to_string(p_);
      return false;
    }
    return true;
  }

 private:
  void space() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\n' || t_[p_] == '\r' || t_[p_] == '\t')) ++p_;
  }
  bool fail(const std::string& e) {
    error_ = e;
    return false;
  }
  bool literal(const char* word) {
    const std::string w(word);
    if (t_.compare(p_, w.size(), w) != 0) return fail("bad literal");
    p_ += w.size();
    return true;
  }
  bool string(std::string& out) {
    if (t_[p_] != '"') return fail("expected string");
    ++p_;
    while (p_ < t_.size() && t_[p_] != '"') {
      if (t_[p_] == '\\') {
        if (++p_ >= t_.size()) return fail("bad escape");
        const char e = t_[p_++];
        switch (e) {
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            if (p_ + 4 > t_.size()) return fail("bad \\u");
            long code = std::strtol(t_.substr(p_, 4).c_str(), nullptr, 16);
            if (code >= 0xDC80 && code <= 0xDCFF) code -= 0xDC00;  // a byte of a file name that is not UTF-8
            if (code > 0xFF) return fail("\\u above 0xFF");
            out += static_cast<char>(code);
            p_ += 4;
            break;
          }
          default: out += e;
        }
      } else {
        out += t_[p_++];
      }
    }
    if (p_ >= t_.size()) return fail("unterminated string");
    ++p_;
    return true;
  }
  bool value(JsonValue& v) {
    space();
    if (p_ >= t_.size()) return fail("unexpected end");
    const char c = t_[p_];
    if (c == '{') {
      v.type = JsonValue::Type::Object;
      ++p_;
      space();
      if (p_ < t_.size() && t_[p_] == '}') return ++p_, true;
      for (;;) {
        space();
        std::string key;
        if (p_ >= t_.size() || !string(key)) return fail("expected key");
        space();
        if (p_ >= t_.size() || t_[p_++] != ':') return fail("expected ':'");
        JsonValue member;
        if (!value(member)) return false;
        v.members.emplace_back(key, std::move(member));
        space();
        if (p_ < t_.size() && t_[p_] == ',') {
          ++p_;
          continue;
        }
        if (p_ < t_.size() && t_[p_] == '}') return ++p_, true;
        return fail("expected ',' or '}'");
      }
    }
    if (c == '[') {
      v.type = JsonValue::Type::Array;
      ++p_;
      space();
      if (p_ < t_.size() && t_[p_] == ']') return ++p_, true;
      for (;;) {
        JsonValue item;
        if (!value(item)) return false;
        v.items.push_back(std::move(item));
        space();
        if (p_ < t_.size() && t_[p_] == ',') {
          ++p_;
          continue;
        }
        if (p_ < t_.size() && t_[p_] == ']') return ++p_, true;
        return fail("expected ',' or ']'");
      }
    }
    if (c == '"') {
      v.type = JsonValue::Type::String;
      return string(v.text);
    }
    if (c == 't' || c == 'f') {
      v.type = JsonValue::Type::Bool;
      v.flag = c == 't';
      return literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return literal("null");
    const std::size_t start = p_;
    while (p_ < t_.size() && std::string("+-0123456789.eE").find(t_[p_]) != std::string::npos) ++p_;
    if (p_ == start) return fail("unexpected character");
    v.type = JsonValue::Type::Number;
    v.text = t_.substr(start, p_ - start);
    char* end = nullptr;
    std::strtod(v.text.c_str(), &end);
    if (*end != '\0') return fail("bad number");
    return true;
  }

  const std::string& t_;
  std::size_t p_ = 0;
  std::string error_;
};

}  // namespace

CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& wrapper) {
  std::vector<std::string> argv = wrapper;
  argv.push_back(VODE_CLI_PATH);
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv);
}

CliResult runProgram(std::vector<std::string> argv) {
  TempDir dir;
  const std::string outPath = dir.file("stdout"), errPath = dir.file("stderr");
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  CliResult result;
  pid_t pid = 0;
  if (posix_spawnp(&pid, raw[0], &actions, nullptr, raw.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  return result;
}

bool JsonValue::has(const std::string& key) const {
  for (const auto& m : members)
    if (m.first == key) return true;
  return false;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
  for (const auto& m : members)
    if (m.first == key) return m.second;
  ADD_FAILURE() << "missing key " << key;
  static const JsonValue none;
  return none;
}

double JsonValue::number() const {
  EXPECT_EQ(type, Type::Number) << text;
  return std::strtod(text.c_str(), nullptr);
}

float JsonValue::single() const {
  EXPECT_EQ(type, Type::Number) << text;
  return std::strtof(text.c_str(), nullptr);
}

std::vector<std::string> JsonValue::keys() const {
  std::vector<std::string> out;
  for (const auto& m : members) out.push_back(m.first);
  return out;
}

bool parseJson(const std::string& text, JsonValue& value, std::string& error) {
  return Parser(text).document(value, error);
}

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}

}  // namespace vode::test
