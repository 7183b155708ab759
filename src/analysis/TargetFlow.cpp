#include "analysis/TargetFlow.h"

#include <cmath>

#include "model/Numeric.h"

namespace vode {

TargetFlow get_target_flow(int choice, double customValue, double weightKg, bool strainGauge) {
  static const double presetPerKg[3] = {7.5, 15.0, 30.0};  // mL/s per kg
  static const double amplitudeScale[3] = {1.0, 2.5, 5.0};  // V
  TargetFlow t;
  double v = 0.0;
  if (choice == 3) {
    v = roundEvenD(customValue * 100.0) / 100.0;
    if (v < 0.1) v = 0.1;
  } else if (choice >= 0 && choice <= 2) {
    v = strainGauge ? amplitudeScale[choice] : presetPerKg[choice] * weightKg / 1000.0;
  } else {
    // A choice from a damaged settings record: no target rather than a guess.
    return t;
  }
  // A damaged weight or custom value must not overflow the integer target.
  if (!(std::fabs(v) <= 1.0e6)) return t;
  t.value = v;
  // 10-thousandths resolution for the target; the tolerance is 20 % of it.
  t.target = roundEven(v * 100.0) * 10;
  t.tolerance = roundEven(v * 200.0);
  return t;
}

FlowLimits flowLimits(const TargetFlow& t) {
  FlowLimits l;
  l.inspLow = static_cast<float>(t.target - t.tolerance) / 1000.0f;
  l.inspHigh = static_cast<float>(t.target + t.tolerance) / 1000.0f;
  l.expLow = static_cast<float>(-(t.target + t.tolerance)) / 1000.0f;
  l.expHigh = static_cast<float>(t.tolerance - t.target) / 1000.0f;
  return l;
}

}  // namespace vode
