#include "cli/CliSupport.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "model/ExportText.h"

namespace vode::cli {

std::string ParsedArgs::value(const std::string& name, const std::string& fallback) const {
  auto it = options.find(name);
  if (it == options.end() || it->second.empty()) return fallback;
  return it->second.front();
}

bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, ParsedArgs& out,
               std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      const OptionSpec* option = nullptr;
      for (const OptionSpec& s : specs)
        if (s.name == a) option = &s;
      if (!option) {
        error = "unknown option " + a;
        return false;
      }
      std::vector<std::string> values;
      for (int k = 0; k < option->values; ++k) {
        if (i + 1 >= args.size()) {
          error = "option " + a + " needs " + std::to_string(option->values) + " value(s)";
          return false;
        }
        values.push_back(args[++i]);
      }
      std::vector<std::string>& kept = out.options[a];
      if (!option->repeatable) kept.clear();
      kept.insert(kept.end(), values.begin(), values.end());
    } else {
      out.positional.push_back(a);
    }
  }
  return true;
}

bool parseInt(const std::string& text, long long& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && p == end;
}

bool parseFloat(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

StderrPrompter::StderrPrompter(std::ostream& err) : err_(err) {}

StderrPrompter::StderrPrompter() : err_(std::cerr) {}

void StderrPrompter::message(MessageKind, const std::string& text) { err_ << text << "\n"; }

Answer StderrPrompter::ask(const std::string& text, Buttons, Answer defaultAnswer) {
  err_ << text << " ["
            << (defaultAnswer == Answer::Yes ? "Yes" : defaultAnswer == Answer::No ? "No" : "Cancel") << "]\n";
  return defaultAnswer;
}

void Json::separator(const std::string& key) {
  if (!first_.back()) out_ << ",";
  first_.back() = false;
  if (!key.empty()) out_ << quote(key) << ":";
}

Json& Json::beginObject(const std::string& key) {
  separator(key);
  out_ << "{";
  first_.push_back(true);
  return *this;
}

Json& Json::endObject() {
  first_.pop_back();
  out_ << "}";
  return *this;
}

Json& Json::beginArray(const std::string& key) {
  separator(key);
  out_ << "[";
  first_.push_back(true);
  return *this;
}

Json& Json::endArray() {
  first_.pop_back();
  out_ << "]";
  return *this;
}

Json& Json::value(const std::string& key, const std::string& text) {
  separator(key);
  out_ << quote(text);
  return *this;
}

Json& Json::value(const std::string& key, long long n) {
  separator(key);
  out_ << n;
  return *this;
}

Json& Json::value(const std::string& key, float f) {
  separator(key);
  out_ << number(f);
  return *this;
}

Json& Json::value(const std::string& key, double d) {
  separator(key);
  out_ << number(d);
  return *this;
}

Json& Json::boolean(const std::string& key, bool flag) {
  separator(key);
  out_ << (flag ? "true" : "false");
  return *this;
}

Json& Json::path(const std::string& key, const std::string& text) {
  separator(key);
  out_ << quote(text, true);
  return *this;
}

std::string Json::quote(const std::string& text, bool utf8) {
  std::string q = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (utf8 && ch >= 0x80) {
      if (const std::size_t n = utf8Sequence(text, i)) {
        q.append(text, i, n);
        i += n - 1;
        continue;
      }
      // A byte no UTF-8 sequence holds: the lone surrogate U+DC00 + byte, as
      // the system's own file-name decoders write it, so a reader that
      // encodes the name back gets the very bytes (U+0080-U+00FF would come
      // back as two other bytes each).
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\udc%02x", ch);
      q += buf;
      continue;
    }
    switch (ch) {
      case '"': q += "\\\""; break;
      case '\\': q += "\\\\"; break;
      case '\n': q += "\\n"; break;
      case '\r': q += "\\r"; break;
      case '\t': q += "\\t"; break;
      default:
        if (ch < 0x20 || ch >= 0x7F) {
          // Bytes outside printable ASCII: the stored texts are 8-bit; keep each
          // byte as the code point of the same value so nothing is lost.
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", ch);
          q += buf;
        } else {
          q += static_cast<char>(ch);
        }
    }
  }
  return q + "\"";
}

std::string Json::number(float f) {
  if (!std::isfinite(f)) return "null";
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, f);
  return std::string(buf, p);
}

std::string Json::number(double d) {
  if (!std::isfinite(d)) return "null";
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, p);
}

int usageError(const std::string& message, const std::string& usage) {
  std::cerr << "vode-cli: " << message << "\n" << usage;
  return ExitUsage;
}

bool printHelpIfAsked(const std::vector<std::string>& arguments, const std::string& usage) {
  for (const std::string& a : arguments)
    if (a == "--help" || a == "-h") {
      std::cout << usage;
      return true;
    }
  return false;
}

}  // namespace vode::cli
