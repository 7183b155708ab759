#include "reports/ReportBuilder.h"

#include <algorithm>

#include "analysis/SegmentSpectra.h"
#include "reports/NumberFormat.h"
#include "reports/PowerValue.h"

namespace vode {

std::string ReportBuilder::fixed(double value, int decimals) const {
  return withSeparator(formatFixed(value, decimals), options_.decimalSeparator);
}

std::string ReportBuilder::exp(double value) const {
  return withSeparator(formatExp(value), options_.decimalSeparator);
}

std::string ReportBuilder::power(float watts) const {
  return FormatPowerValue(watts, options_.watts, dBReference_, options_.decimalSeparator);
}

int ReportBuilder::spectralRows() const {
  // Never more rows than the spectra hold bins.
  return std::clamp(options_.maxFrequency / BinWidth, 0, BinCount);
}

}  // namespace vode
