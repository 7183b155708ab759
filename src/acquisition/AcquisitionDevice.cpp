#include "acquisition/AcquisitionDevice.h"

#include <chrono>

namespace vode {

int gainForSetting(int setting) { return setting == 0 ? 100 : setting == 2 ? 400 : 200; }

bool validGain(int gain) { return gain == 100 || gain == 200 || gain == 400; }

std::int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vode
