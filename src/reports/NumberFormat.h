// The number formats of the report files. Every number is printed with '.'
// and then given the caller's decimal separator, so a report follows the
// user's locale the way a spreadsheet expects it.
#pragma once

#include <string>

namespace vode {

// "%0.<decimals>f": halves of the exact binary value go to even as printf
// does, and a small negative value keeps its sign ("-0.000").
std::string formatFixed(double value, int decimals);

// "%0.4e" as the reports print it: one digit before the point, three after,
// an upper-case E, an explicit exponent sign and at least three exponent
// digits (1.235E-005, 2.000E+003, 0.000E+000).
std::string formatExp(double value);

// Replaces the '.' of a formatted number by the decimal separator. With ','
// the field separator and the decimal separator are the same character; that
// is the user's locale choice and the text is written as chosen.
std::string withSeparator(std::string number, char decimalSeparator);

}  // namespace vode
