// Documents with every field away from its default, for the block file tests.
#pragma once

#include <memory>

#include "document/Document.h"
#include "support/TestSupport.h"

namespace vode::test {

inline void fillRecords(Document& doc) {
  doc.subject.lastName = "Kovac";
  doc.subject.firstName = "Mira";
  doc.subject.id = "P-0042";
  doc.subject.sex = 1;
  doc.subject.birthDate = 25000.0;
  doc.subject.weight = 63.5f;
  doc.subject.height = 171.0f;
  doc.subject.diagnosis = "mild asthma";
  doc.subject.remarks = "seated, nose clip";
  doc.laboratory.name = "Breath lab";
  doc.laboratory.address = "1 Hill Road";
  doc.laboratory.investigator = "Dr Novak";
  doc.preferences.waveformTime = 4;
  doc.preferences.amplitude = 3;
  doc.preferences.frequency = 2;
  doc.preferences.flowDisplay = 1;
  doc.preferences.dBScale = 0;
  doc.preferences.calibrationOffset = 0.25f;
  doc.preferences.calibrationScale = 1.5f;
  doc.preferences.backgroundFlowMode = 1;
  doc.preferences.backgroundFlowPerKg = 2.5f;
  doc.preferences.backgroundFlowAbsolute = 80.0f;
  doc.preferences.analyseOnOpen = 1;
  doc.preferences.dBReference = 1e-9f;
  doc.preferences.flowHoldsPower = 1;
  doc.channelSetup.airflowKind = 1;
  doc.channelSetup.targetFlowChoice = 3;
  doc.channelSetup.targetFlow = 0.75f;
  doc.channelSetup.channelNames[0] = "TRA";
  doc.channelSetup.channelNames[1] = "RUant";
  doc.channelSetup.channelNames[2] = "LUant";
  doc.channelSetup.flowFullScale = 0.8f;
  doc.channelSetup.volumeFullScale = 0.6f;
  doc.channelSetup.gain = 2;
  doc.channelSetup.setupChannelCount = 3;
  doc.channelSetup.offsetRemoval = {1, 0, 1, 0, 1, 0, 1, 0};
  doc.analysisParameters = AnalysisParameters{5, 2, 6};
}

// Records, comments, a recording of the given size and a tag table with
// distinct bytes everywhere.
inline void fillDocument(Document& doc, int segments = 5, int channels = 3) {
  fillRecords(doc);
  doc.comments = "first line\r\nsecond line";
  doc.recording = std::make_unique<Recording>(makeRecording(segments, channels, 11));
  for (int i = 0; i < doc.recording->flowSampleCount; ++i)
    doc.recording->flow[i] = static_cast<int16_t>(i * 37 - 2000);
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(channels, segments);
  for (int s = 0; s < segments; ++s) {
    doc.tagTable->setPhase(s, static_cast<uint8_t>(1 << (s % 3)));
    for (int c = 0; c < channels; ++c) doc.tagTable->setFlags(c, s, static_cast<uint8_t>(s * 8 + c));
  }
}

}  // namespace vode::test
