// The power-versus-flow panel's controls that the analysis reads: the band,
// the flow-bin width, the dB threshold and the rectification.
#pragma once

namespace vode {

struct PanelSettings {
  int spinMin = 0;      // SpinMin, Hz
  int spinMax = 100;    // SpinMax, Hz
  int spinFlow = 100;   // SpinFlow, mL/s per flow bin
  int spindB = 3;       // SpindB, dB threshold
  bool rectifydB = false;  // RectifydB
};

}  // namespace vode
