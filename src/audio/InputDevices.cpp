#include "audio/InputDevices.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include "acquisition/SimulatedDevice.h"
#include "audio/SoundInputDevice.h"

namespace vode {

std::vector<DeviceEntry> listAcquisitionDevices() {
  std::vector<DeviceEntry> list;
  list.push_back({"simulated", SimulatedDevice({}).description()});
  list.push_back({"simulated:wheezes", SimulatedDevice({.wheezes = true}).description()});
  list.push_back({"simulated:resp", SimulatedDevice({.resp = true}).description()});
  const QAudioDevice standard = QMediaDevices::defaultAudioInput();
  for (const QAudioDevice& input : QMediaDevices::audioInputs()) {
    std::string description = input.description().toStdString();
    if (input.id() == standard.id()) description += " (the default input, also \"audio\")";
    list.push_back({"audio:" + input.id().toStdString(), description});
  }
  return list;
}

std::unique_ptr<AcquisitionDevice> makeAcquisitionDevice(const std::string& choice, std::string& error) {
  if (choice == "simulated") return std::make_unique<SimulatedDevice>(SimulatedDevice::Options{});
  if (choice == "simulated:wheezes") return std::make_unique<SimulatedDevice>(SimulatedDevice::Options{.wheezes = true});
  if (choice == "simulated:resp") return std::make_unique<SimulatedDevice>(SimulatedDevice::Options{.resp = true});
  if (choice == "audio") {
    const QAudioDevice input = QMediaDevices::defaultAudioInput();
    if (input.isNull()) {
      error = "There is no sound input device.";
      return nullptr;
    }
    return std::make_unique<SoundInputDevice>(input);
  }
  if (choice.rfind("audio:", 0) == 0) {
    const QString name = QString::fromStdString(choice.substr(6));
    for (const QAudioDevice& input : QMediaDevices::audioInputs())
      if (QString::fromUtf8(input.id()) == name || input.description() == name)
        return std::make_unique<SoundInputDevice>(input);
    error = "There is no sound input named " + choice.substr(6) + " (vode --list-devices lists them).";
    return nullptr;
  }
  error = "Unknown device " + choice + ": use simulated, simulated:wheezes, simulated:resp, audio or audio:NAME.";
  return nullptr;
}

}  // namespace vode
