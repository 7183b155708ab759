#include "model/SineTestRecording.h"

#include <numbers>

#include "model/Numeric.h"

namespace vode {

namespace {

constexpr int StepSegments = 18;  // each frequency lasts 1.8 s
constexpr double FullScaleVolts = 5.0;

class SineOscillator {
 public:
  void restart() { phase_ = 0.0; }
  // Writes one segment of a·sin(φ) at f Hz; the phase runs on into the next.
  void fill(int16_t* out, double volts, double hz) {
    const double step = 2.0 * std::numbers::pi * hz / SoundRate;
    for (int i = 0; i < SegmentSamples; ++i) {
      out[i] = clamp16(roundEven(volts * std::sin(phase_) / FullScaleVolts * 32767.0));
      phase_ += step;
      // Wrapping keeps the phase small, so late samples are as exact as early ones.
      if (phase_ >= 2.0 * std::numbers::pi) phase_ -= 2.0 * std::numbers::pi;
    }
  }

 private:
  double phase_ = 0.0;
};

}  // namespace

Recording makeSineTestRecording() {
  Recording r = Recording::create(SineTestSegments, 1);
  int16_t* sound = r.sound[0].data();
  SineOscillator sine;

  // 0.2 V at 60, 120, 240, 480 and 960 Hz, the phase running on across the changes.
  for (int s = 0; s < 90; ++s) sine.fill(sound + s * SegmentSamples, 0.2, 60.0 * (1 << (s / StepSegments)));

  // Segments 90-109 stay silent. Then the same steps from a fresh phase, each
  // higher tone quieter.
  constexpr double volts[5] = {1.3, 0.65, 0.325, 0.225, 0.2};
  sine.restart();
  for (int s = 110; s < SineTestSegments; ++s) {
    const int step = (s - 110) / StepSegments;
    sine.fill(sound + s * SegmentSamples, volts[step], 60.0 * (1 << step));
  }
  return r;
}

}  // namespace vode
