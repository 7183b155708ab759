// Sizes and positions shared by the DOS reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vode::dos {

constexpr uint16_t Version = 1;

// Tags of the tagged-record list.
constexpr uint16_t TagEnd = 0;
constexpr uint16_t TagCalibration = 5;
constexpr uint16_t TagSegmentLists = 8;
constexpr uint16_t TagSoundNames = 9;

constexpr std::size_t CalibrationSize = 120;    // four 30-byte entries
constexpr std::size_t CalibrationEntry = 30;
constexpr std::size_t ZeroLevelOffset = 20;     // int16 inside an entry
constexpr std::size_t SoundNamesSize = 16;      // two names of length byte + 7
constexpr std::size_t SoundNameCapacity = 7;

// Subject block.
constexpr std::size_t SubjectSize = 73;
constexpr std::size_t SubjectName = 0, SubjectNameCapacity = 30;
constexpr std::size_t SubjectId = 33, SubjectIdCapacity = 8;
constexpr std::size_t SubjectDiagnosis = 42, SubjectDiagnosisCapacity = 30;

// Study block.
constexpr std::size_t StudySize = 98;
constexpr std::size_t StudyName = 0, StudyNameCapacity = 17;
constexpr std::size_t StudyEquipment = 18, StudyEquipmentCapacity = 30;
constexpr std::size_t StudyMeasurements = 49, StudyMeasurementsCapacity = StudySize - StudyMeasurements - 1;

constexpr std::size_t ChannelLabelsSize = 18;
constexpr std::size_t UnusedAfterLabels = 10;
constexpr std::size_t BreathConversionSize = 18;  // flow flag, invert flag, scale, one more double
constexpr std::size_t UnusedAfterConversion = 102 + 55 + 116 + 1;

constexpr std::size_t ChannelTableSize = 48;
constexpr std::size_t ListRecordSize = 24;        // the c1 and c2 records
constexpr std::size_t ThirdListRecordSize = 32;   // the c3 records

// 12-bit samples, and the step of one count in mL/s per unit of scale.
constexpr int MaxValue = 4095;
constexpr int MidValue = 2048;
constexpr double FlowStep = 2.44140625;  // 10 / 4.096
constexpr double WrittenScale = 4.096;   // 10 mL/s per count

// Values per segment: 32 for channels 1 and 2, 1024 for 3 and 4.
constexpr int valuesPerSegment(int channel) { return channel <= 2 ? 32 : 1024; }

// Group lengths of the written files: one group per segment for the two
// 320 Hz channels, eight per segment for the sound.
constexpr int16_t WrittenGroups[4] = {32, 32, 128, 128};

}  // namespace vode::dos
