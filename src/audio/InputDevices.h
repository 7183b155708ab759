// The acquisition devices vode --device can name: the simulated subjects and
// every sound input the sound server offers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acquisition/AcquisitionDevice.h"

namespace vode {

// One entry of --list-devices: what to pass to --device, and what it is.
struct DeviceEntry {
  std::string name;
  std::string description;
};

std::vector<DeviceEntry> listAcquisitionDevices();

// "simulated", "simulated:wheezes", "simulated:resp", "audio" (the default input) or
// "audio:NAME" (an input's name or description as --list-devices shows it).
// nullptr with error set when no such device can be made.
std::unique_ptr<AcquisitionDevice> makeAcquisitionDevice(const std::string& choice, std::string& error);

}  // namespace vode
