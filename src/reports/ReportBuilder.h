// The text of one report as it is assembled: CR LF line ends, comma-separated
// fields without quoting, numbers in the caller's decimal separator.
#pragma once

#include <string>
#include <string_view>

#include "reports/ReportOptions.h"

namespace vode {

class ReportBuilder {
 public:
  ReportBuilder(const ReportOptions& options, float dBReference) : options_(options), dBReference_(dBReference) {}

  // text, then a line break.
  void line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
  }
  void append(std::string_view text) { text_ += text; }
  void field(std::string_view text) {
    text_ += ',';
    text_ += text;
  }
  void endLine() { text_ += "\r\n"; }

  std::string fixed(double value, int decimals) const;  // "%0.<d>f"
  std::string exp(double value) const;                  // "%0.4e"
  std::string power(float watts) const;                 // FormatPowerValue

  int channel() const { return options_.channel; }
  const ReportOptions& options() const { return options_; }
  // Spectral tables list bins 0 up to MaxFrequency / 5 - 1.
  int spectralRows() const;

  const std::string& text() const { return text_; }
  std::string take() { return std::move(text_); }

 private:
  ReportOptions options_;
  float dBReference_;
  std::string text_;
};

}  // namespace vode
