#include <gtest/gtest.h>

#include "reports/LogCounter.h"
#include "reports/NumberFormat.h"
#include "reports/PowerValue.h"
#include "reports/ReportKind.h"

using namespace vode;

TEST(ReportNumbers, ExponentHasUpperCaseSignAndThreeDigits) {
  EXPECT_EQ(formatExp(1.2346e-5), "1.235E-005");
  EXPECT_EQ(formatExp(2000.0), "2.000E+003");
  EXPECT_EQ(formatExp(0.0), "0.000E+000");
  EXPECT_EQ(formatExp(-4.5e-10), "-4.500E-010");
  EXPECT_EQ(formatExp(1e-8f), "1.000E-008");  // the default dB reference, a float
  EXPECT_EQ(formatExp(1.5e100), "1.500E+100");
  EXPECT_EQ(formatExp(1.5e-300), "1.500E-300");
  // Rounding into the next decade moves the exponent.
  EXPECT_EQ(formatExp(9.9996e-5), "1.000E-004");
}

TEST(ReportNumbers, ExponentOfSinglePrecisionPowers) {
  // Exact binary halves of the fourth digit go to even.
  EXPECT_EQ(formatExp(1.0625f), "1.062E+000");
  EXPECT_EQ(formatExp(1.1875f), "1.188E+000");
  EXPECT_EQ(formatExp(-1.0625f), "-1.062E+000");
  // Denormal and extreme floats keep four digits and a three-digit exponent.
  EXPECT_EQ(formatExp(1e-45f), "1.401E-045");
  EXPECT_EQ(formatExp(1.17549435e-38f), "1.175E-038");
  EXPECT_EQ(formatExp(3.40282347e38f), "3.403E+038");
  EXPECT_EQ(formatExp(-0.0f), "-0.000E+000");
  EXPECT_EQ(FormatPowerValue(1e-45f, true, 1e-8f), "1.401E-045");
}

TEST(ReportNumbers, FixedRoundsExactHalvesToEvenAndKeepsNegativeZero) {
  EXPECT_EQ(formatFixed(0.0625, 3), "0.062");
  EXPECT_EQ(formatFixed(0.1875, 3), "0.188");
  EXPECT_EQ(formatFixed(-0.0625, 3), "-0.062");
  EXPECT_EQ(formatFixed(-0.0001, 3), "-0.000");
  EXPECT_EQ(formatFixed(0.25, 1), "0.2");
  EXPECT_EQ(formatFixed(73.8f, 1), "73.8");
  EXPECT_EQ(formatFixed(-200.0, 1), "-200.0");
}

TEST(ReportNumbers, DecimalSeparatorReplacesThePoint) {
  EXPECT_EQ(withSeparator("-1.500", ','), "-1,500");
  EXPECT_EQ(withSeparator("1.235E-005", ','), "1,235E-005");
  EXPECT_EQ(withSeparator("12", ','), "12");
  EXPECT_EQ(withSeparator("1.5", '.'), "1.5");
}

TEST(ReportNumbers, PowerValueInDecibelsAndWatts) {
  EXPECT_EQ(FormatPowerValue(0.0f, false, 1e-8f), "-200.0");
  EXPECT_EQ(FormatPowerValue(-1e-9f, false, 1e-8f), "-200.0");
  EXPECT_EQ(FormatPowerValue(1e-6f, false, 1e-8f), "20.0");
  EXPECT_EQ(FormatPowerValue(1e-6f, false, 1e-4f), "-20.0");
  EXPECT_EQ(FormatPowerValue(1.2346e-5f, false, 1e-8f), "30.9");
  EXPECT_EQ(FormatPowerValue(1.2346e-5f, true, 1e-8f), "1.235E-005");
  EXPECT_EQ(FormatPowerValue(0.0f, true, 1e-8f), "0.000E+000");
  // The smallest float power is still a power, far above the -200 floor.
  EXPECT_EQ(FormatPowerValue(1e-45f, false, 1e-8f), "-368.5");
  EXPECT_EQ(FormatPowerValue(1e-6f, false, 1e-8f, ','), "20,0");
  EXPECT_EQ(FormatPowerValue(1.2346e-5f, true, 1e-8f, ','), "1,235E-005");
}

TEST(ReportLogNumbers, LogLineAndLabel) {
  EXPECT_EQ(logLine(1), "+Log001");
  EXPECT_EQ(logLine(12), "+Log012");
  EXPECT_EQ(logLine(123), "+Log123");
  EXPECT_EQ(logLine(1000), "+Log1000");
  EXPECT_EQ(logLabel(1), "001");
  EXPECT_EQ(logLabel(999), "999");
  EXPECT_EQ(logLabel(1000), "100");
}

TEST(ReportLogNumbers, LastLogNumberOfAFile) {
  EXPECT_EQ(highestLogNumber(""), 0);
  EXPECT_EQ(highestLogNumber("Band Power Report\r\nSegment,0\r\n"), 0);
  EXPECT_EQ(highestLogNumber("A\r\n\r\n\r\n+Log001\r\nA\r\n\r\n\r\n+Log002\r\nA\r\n"), 2);
  EXPECT_EQ(highestLogNumber("x\r\n+Log1000\r\ny"), 1000);
  EXPECT_EQ(highestLogNumber("+Log007"), 7);
  // Only whole "+Log<digits>" lines count.
  EXPECT_EQ(highestLogNumber("+Log003\r\nGenerated from file +Log9.mer\r\n+Logbook\r\n+Log12x\r\n"), 3);
  // A number too long for a log count is ignored, not overflowed.
  EXPECT_EQ(highestLogNumber("+Log004\r\n+Log99999999999999999999\r\n"), 4);
}

TEST(ReportKinds, TitlesAndNames) {
  EXPECT_STREQ(reportTitle(ReportKind::OverallAverages), "Overall Averages Report");
  EXPECT_STREQ(reportTitle(ReportKind::AllTagged), "All Tagged Report");
  EXPECT_STREQ(reportTitle(ReportKind::BreathAverages), "Breath Averages Report");
  EXPECT_STREQ(reportTitle(ReportKind::OctaveBands), "Octave Bands Report");
  EXPECT_STREQ(reportTitle(ReportKind::AllSegments), "All Segments Report");
  EXPECT_STREQ(reportTitle(ReportKind::BandPower), "Band Power Report");
  EXPECT_STREQ(reportTitle(ReportKind::FlowPower), "Flow Power Report");
  EXPECT_STREQ(reportTitle(ReportKind::Summary), "Summary Report");
  const char* names[] = {"overall", "tagged", "breath", "octave", "all", "band", "flow", "summary"};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(parseReportKind(names[k]), static_cast<ReportKind>(k));
    EXPECT_EQ(parseReportKind(std::to_string(k)), static_cast<ReportKind>(k));
  }
  EXPECT_FALSE(parseReportKind("8"));
  EXPECT_FALSE(parseReportKind("-1"));
  EXPECT_FALSE(parseReportKind("07"));
  EXPECT_FALSE(parseReportKind("Overall"));
  EXPECT_FALSE(parseReportKind(""));
}
