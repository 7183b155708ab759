// A breathing subject for any machine: the synthetic generator's breath sound
// and airflow, converted back into what a pneumotach and microphones would
// deliver, paced by the clock so a block becomes available every 100 ms as
// with real hardware. Deterministic for a seed; a test passes its own clock.
#pragma once

#include <cstdint>
#include <memory>

#include "acquisition/AcquisitionDevice.h"
#include "model/RecordingBundle.h"

namespace vode {

class SimulatedDevice : public AcquisitionDevice {
 public:
  struct Options {
    std::uint64_t seed = 1;
    bool wheezes = false;
    bool resp = false;  // a respiration band on the breath input instead of a pneumotach
  };

  // The subject breathes through a loop of this many seconds.
  static constexpr double LoopSeconds = 60.0;
  // Blocks left unread beyond this are dropped, as a full input buffer drops
  // them: a window that stalls gets the last 5 s, not a pile-up.
  static constexpr int MaxPendingBlocks = 50;

  explicit SimulatedDevice(Options options, MillisecondClock clock = steadyMilliseconds);

  std::string description() const override;
  bool start(int soundChannels, int gain, std::string& error) override;
  void stop() override;
  int read(std::vector<std::int16_t>& blocks) override;
  // The subject's breaths are sized to the target (mL/s); until one is given,
  // to the tidal target of the subject's own weight. A subject on a band
  // breathes as it does, the band being read for its direction only.
  void followTarget(int target) override;

  // Converter counts of the pneumotach for a flow: 1 L/s per volt, zero at 0 V.
  static std::int16_t breathCounts(std::int16_t flowMlPerS);

 private:
  void appendBlock(std::int32_t segment, std::vector<std::int16_t>& blocks) const;
  void makeSubject();

  Options options_;
  MillisecondClock clock_;
  RecordingBundle subject_;  // the loop the subject breathes through
  int channels_ = 0;
  int target_ = 0;      // mL/s; 0: the subject's own
  int madeFor_ = -1;    // the target subject_ was made for
  int gain_ = 100;
  bool running_ = false;
  std::int64_t startMs_ = 0;
  std::int64_t delivered_ = 0;  // blocks handed out or dropped since start
};

}  // namespace vode
