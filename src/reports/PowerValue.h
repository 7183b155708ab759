// Spectral powers as the reports print them.
#pragma once

#include <string>

namespace vode {

// watts: "%0.4e" of the power. Otherwise "%0.1f" of its level in dB above
// dBReference, -200.0 for a power of zero or less.
std::string FormatPowerValue(float power, bool watts, float dBReference, char decimalSeparator = '.');

}  // namespace vode
