// The target flow that the tagging compares segment flows with, shared by the
// analysis command, the preferences dialog and the acquisition window.
#pragma once

#include <cstdint>

namespace vode {

// Target and tolerance in thousandths of the breath-signal unit (mL/s for a
// pneumotach, mV for a strain gauge).
struct TargetFlow {
  int32_t target = 0;
  int32_t tolerance = 0;
  double value = 0.0;  // the target before scaling: L/s, or V for a strain gauge
};

// choice 0..2: Tidal, Medium, High (7.5, 15, 30 mL/s per kg of weightKg), or
// with strainGauge the amplitude scales 1.0, 2.5, 5.0 V; choice 3: the custom
// value rounded to 0.01 and at least 0.1. Any other choice gives a zero target,
// which SetThresholds refuses.
TargetFlow get_target_flow(int choice, double customValue, double weightKg, bool strainGauge);

// The four flow windows, L/s, that SetThresholds receives.
struct FlowLimits {
  float inspLow = 0.0f, inspHigh = 0.0f, expLow = 0.0f, expHigh = 0.0f;
};
FlowLimits flowLimits(const TargetFlow& t);

}  // namespace vode
