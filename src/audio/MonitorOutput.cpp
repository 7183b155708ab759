#include "audio/MonitorOutput.h"

#include <algorithm>

#include "acquisition/AcquisitionDevice.h"
#include "acquisition/AcquisitionTake.h"

namespace vode {

void appendMonitored(std::span<const int16_t> block, int soundChannels, int position, std::vector<int16_t>& out) {
  constexpr size_t n = AcquisitionBlockSamples;
  if (soundChannels < 1 || block.size() < n * static_cast<size_t>(soundChannels)) return;
  const int16_t* one = block.data();
  const int16_t* two = soundChannels > 1 ? one + n : one;
  if (position == MonitorChannel2) one = two;
  if (position != MonitorChannels1And2) two = one;
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<int16_t>((one[i] + two[i]) / 2));
}

int monitoredPeak(const AcquisitionTake& take, int position) {
  switch (position) {
    case MonitorChannel1: return take.lastChannelPeak(0);
    case MonitorChannel2: return take.lastChannelPeak(1);
    default: return std::max(take.lastChannelPeak(0), take.lastChannelPeak(1));
  }
}

}  // namespace vode
