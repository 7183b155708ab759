#include "model/Records.h"

#include "model/Bytes.h"
#include "model/DateText.h"

namespace vode {

void SubjectRecord::reset() {
  *this = SubjectRecord{};
  birthDate = todayAsDays();
}

void SubjectRecord::read(const uint8_t* p) {
  lastName.read(p + 0);
  firstName.read(p + 31);
  id.read(p + 62);
  sex = p[83];
  birthDate = getF64(p + 84);
  weight = getF32(p + 92);
  height = getF32(p + 96);
  diagnosis.read(p + 100);
  remarks.read(p + 161);
}

void SubjectRecord::write(uint8_t* p) const {
  lastName.write(p + 0);
  firstName.write(p + 31);
  id.write(p + 62);
  p[83] = sex;
  putF64(p + 84, birthDate);
  putF32(p + 92, weight);
  putF32(p + 96, height);
  diagnosis.write(p + 100);
  remarks.write(p + 161);
}

void LaboratoryRecord::read(const uint8_t* p) {
  name.read(p + 0);
  address.read(p + 31);
  investigator.read(p + 212);
}

void LaboratoryRecord::write(uint8_t* p) const {
  name.write(p + 0);
  address.write(p + 31);
  investigator.write(p + 212);
}

void PreferencesRecord::read(const uint8_t* p) {
  waveformTime = getI16(p + 0);
  amplitude = getI16(p + 2);
  sonogramTime = getI16(p + 4);
  frequency = getI16(p + 6);
  flowDisplay = getI16(p + 8);
  reserved = getI16(p + 10);
  dBScale = getI16(p + 12);
  calibrationOffset = getF32(p + 14);
  calibrationScale = getF32(p + 18);
  backgroundFlowMode = getI16(p + 22);
  backgroundFlowPerKg = getF32(p + 24);
  backgroundFlowAbsolute = getF32(p + 28);
  analyseOnOpen = p[32];
  dBReference = getF32(p + 33);
  flowHoldsPower = p[37];
}

void PreferencesRecord::write(uint8_t* p) const {
  putI16(p + 0, waveformTime);
  putI16(p + 2, amplitude);
  putI16(p + 4, sonogramTime);
  putI16(p + 6, frequency);
  putI16(p + 8, flowDisplay);
  putI16(p + 10, reserved);
  putI16(p + 12, dBScale);
  putF32(p + 14, calibrationOffset);
  putF32(p + 18, calibrationScale);
  putI16(p + 22, backgroundFlowMode);
  putF32(p + 24, backgroundFlowPerKg);
  putF32(p + 28, backgroundFlowAbsolute);
  p[32] = analyseOnOpen;
  putF32(p + 33, dBReference);
  p[37] = flowHoldsPower;
}

void ChannelSetup::reset() {
  auto kept = channelNames;
  *this = ChannelSetup{};
  for (int i = 2; i < MaxChannelNames; ++i) channelNames[i] = kept[i];
}

void ChannelSetup::read(const uint8_t* p) {
  airflowKind = getI16(p + 0);
  targetFlowChoice = getI16(p + 2);
  targetFlow = getF32(p + 4);
  flowSampleRate = getI16(p + 8);
  soundSampleRate = getI16(p + 10);
  for (int i = 0; i < MaxChannelNames; ++i) channelNames[i].read(p + 12 + 21 * i);
  flowFullScale = getF32(p + 180);
  volumeFullScale = getF32(p + 184);
  gain = getI16(p + 188);
  setupChannelCount = getI16(p + 190);
  for (int i = 0; i < MaxChannelNames; ++i) offsetRemoval[i] = p[192 + i];
}

void ChannelSetup::write(uint8_t* p) const {
  putI16(p + 0, airflowKind);
  putI16(p + 2, targetFlowChoice);
  putF32(p + 4, targetFlow);
  putI16(p + 8, flowSampleRate);
  putI16(p + 10, soundSampleRate);
  for (int i = 0; i < MaxChannelNames; ++i) channelNames[i].write(p + 12 + 21 * i);
  putF32(p + 180, flowFullScale);
  putF32(p + 184, volumeFullScale);
  putI16(p + 188, gain);
  putI16(p + 190, setupChannelCount);
  for (int i = 0; i < MaxChannelNames; ++i) p[192 + i] = offsetRemoval[i];
}

void AnalysisParameters::read(const uint8_t* p) {
  breaths = getI16(p + 0);
  inspTags = getI16(p + 2);
  expTags = getI16(p + 4);
}

void AnalysisParameters::write(uint8_t* p) const {
  putI16(p + 0, breaths);
  putI16(p + 2, inspTags);
  putI16(p + 4, expTags);
}

}  // namespace vode
