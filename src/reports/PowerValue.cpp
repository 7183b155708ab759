#include "reports/PowerValue.h"

#include "analysis/SegmentSpectra.h"
#include "reports/NumberFormat.h"

namespace vode {

std::string FormatPowerValue(float power, bool watts, float dBReference, char decimalSeparator) {
  if (watts) return withSeparator(formatExp(power), decimalSeparator);
  // A float power is either 0 or above 1e-45, so PowerTodB's floor of 1e-200
  // is exactly "zero or less" here.
  return withSeparator(formatFixed(PowerTodB(power, dBReference), 1), decimalSeparator);
}

}  // namespace vode
