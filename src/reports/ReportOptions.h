// What the caller decides for one report: the channel, the power units and the
// number style. The band, flow-bin width and dB threshold come from the
// document's panel settings, the dB reference from its preferences.
#pragma once

namespace vode {

struct ReportOptions {
  int channel = 0;              // 0-based; names the header and feeds the body
  bool watts = false;           // power units: watts, otherwise dB
  bool unitsEnabled = true;     // print the "Power in ..." header line
  char decimalSeparator = '.';  // the user's locale; '.' in vode-cli
  int maxFrequency = 1200;      // Hz, the display range: 1200, 2400 or 4800
};

}  // namespace vode
