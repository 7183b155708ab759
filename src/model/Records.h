// The fixed records that travel with every recording and with the default
// settings. Each one has a byte image of fixed size; read() and write() place
// every field at its offset, little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/ShortString.h"

namespace vode {

// Overlays the first n bytes of a stored image onto the record's current image,
// so a shorter stored item fills the record from its start and leaves the rest.
template <typename Record>
void overlayImage(Record& record, const uint8_t* bytes, std::size_t n) {
  std::array<uint8_t, Record::Size> image{};
  record.write(image.data());
  for (std::size_t i = 0; i < n && i < Record::Size; ++i) image[i] = bytes[i];
  record.read(image.data());
}

struct SubjectRecord {
  static constexpr std::size_t Size = 342;

  ShortString<30> lastName;
  ShortString<30> firstName;
  ShortString<20> id;
  uint8_t sex = 0;           // 0 male, 1 female
  double birthDate = 0.0;    // days since 30 December 1899
  float weight = 50.0f;      // kg
  float height = 100.0f;     // cm
  ShortString<60> diagnosis;
  ShortString<180> remarks;

  // Defaults after a reset: empty texts, male, born today, 50 kg, 100 cm.
  void reset();

  void read(const uint8_t* image);
  void write(uint8_t* image) const;
};

struct LaboratoryRecord {
  static constexpr std::size_t Size = 243;

  ShortString<30> name;
  ShortString<180> address;
  ShortString<30> investigator;

  void reset() { *this = LaboratoryRecord{}; }
  void read(const uint8_t* image);
  void write(uint8_t* image) const;
};

struct PreferencesRecord {
  static constexpr std::size_t Size = 38;

  int16_t waveformTime = 2;      // index into 25 .. 3200 ms
  int16_t amplitude = 10;        // index into 0.5 .. 5.0 V; 10 = auto
  int16_t sonogramTime = 0;      // index into 5, 10, 20, 40 s
  int16_t frequency = 0;         // index into 1200, 2400, 4800 Hz
  int16_t flowDisplay = 0;       // 0 flow, 1 flow and volume, 2 flow and power
  int16_t reserved = 0;
  int16_t dBScale = 1;           // 0 "0 to 64", 1 "-24 to 72"
  float calibrationOffset = 0.0f;  // Z, volts
  float calibrationScale = 1.0f;   // C, L/s per volt
  int16_t backgroundFlowMode = 0;  // 0 per kg, 1 absolute
  float backgroundFlowPerKg = 2.0f;      // mL/s/kg
  float backgroundFlowAbsolute = 100.0f; // mL/s
  uint8_t analyseOnOpen = 0;
  float dBReference = 1e-8f;     // watts
  uint8_t flowHoldsPower = 0;

  void reset() { *this = PreferencesRecord{}; }
  void read(const uint8_t* image);
  void write(uint8_t* image) const;
};

constexpr int MaxChannelNames = 8;

struct ChannelSetup {
  static constexpr std::size_t Size = 200;

  int16_t airflowKind = 0;       // 0 pneumotachograph (FLOW), 1 respiration band (RESP)
  int16_t targetFlowChoice = 0;
  float targetFlow = 1.0f;       // L/s, the custom target
  int16_t flowSampleRate = 320;
  int16_t soundSampleRate = 10240;
  std::array<ShortString<20>, MaxChannelNames> channelNames{};
  float flowFullScale = 1.5f;    // L/s
  float volumeFullScale = 1.0f;  // L
  int16_t gain = 0;
  int16_t setupChannelCount = 0;
  std::array<uint8_t, MaxChannelNames> offsetRemoval{1, 1, 1, 1, 1, 1, 1, 1};

  // Restores the defaults; names 3 to 8 keep their values.
  void reset();
  void read(const uint8_t* image);
  void write(uint8_t* image) const;

  bool isResp() const { return airflowKind == 1; }
};

struct AnalysisParameters {
  static constexpr std::size_t Size = 6;

  int16_t breaths = 7;
  int16_t inspTags = 4;
  int16_t expTags = 3;

  void read(const uint8_t* image);
  void write(uint8_t* image) const;
};

// Byte images as arrays, for the writers and the tests.
template <typename Record>
std::array<uint8_t, Record::Size> imageOf(const Record& record) {
  std::array<uint8_t, Record::Size> image{};
  record.write(image.data());
  return image;
}

}  // namespace vode
