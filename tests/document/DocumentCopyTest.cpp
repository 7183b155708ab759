// Copies a job works on: deep, so the original is untouched by whatever the
// copy goes through, and complete, so swapping the copy in loses nothing.
#include <gtest/gtest.h>

#include "analysis/AnalysisCommand.h"
#include "document/DocumentCopy.h"
#include "model/Synthetic.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

Document analysed() {
  Document doc;
  makeSyntheticRecording(doc, SynthOptions{3, 2, 6.0});
  test::ScriptedPrompter prompter;
  NullProgress none;
  DoAnalyzeClick(doc, doc, Palette::grey(), none, prompter);
  doc.wheezeMap = std::make_unique<WheezeMap>();
  doc.panel.spinMax = 300;
  doc.state.currentFileName = "/data/a.mer";
  return doc;
}

}  // namespace

TEST(DocumentCopy, EverythingIsCopiedAndNothingShared) {
  Document doc = analysed();
  std::unique_ptr<Document> copy = copyDocument(doc);
  ASSERT_TRUE(copy->recording && copy->tagTable && copy->phaseTable && copy->spectra && copy->averages &&
              copy->wheezeMap);
  EXPECT_EQ(copy->recording->sound[1], doc.recording->sound[1]);
  EXPECT_EQ(copy->recording->flow, doc.recording->flow);
  EXPECT_EQ(copy->tagTable->phase(30), doc.tagTable->phase(30));
  EXPECT_EQ(copy->spectra->powerData, doc.spectra->powerData);
  EXPECT_EQ(copy->spectra->sonogram[1].pixels, doc.spectra->sonogram[1].pixels);
  EXPECT_EQ(copy->spectra->bandPower[0], doc.spectra->bandPower[0]);
  EXPECT_EQ(copy->averages->background, doc.averages->background);
  EXPECT_EQ(copy->phaseTable->lastPhase, doc.phaseTable->lastPhase);
  EXPECT_EQ(copy->panel.spinMax, 300);
  EXPECT_EQ(copy->state.currentFileName, "/data/a.mer");
  EXPECT_EQ(copy->channelSetup.channelNames[0].str(), doc.channelSetup.channelNames[0].str());

  // What the copy goes through stays with the copy.
  copy->recording->sound[0][5] = 1234;
  copy->tagTable->setFlags(0, 3, Rejected);
  copy->spectra->power(1, 2)[7] = 9.0f;
  copy->phaseTable->SetThresholds(0.1f, 0.9f, -0.9f, -0.1f, copy->preferences, copy->subject);
  EXPECT_NE(doc.recording->sound[0][5], 1234);
  EXPECT_EQ(doc.tagTable->flags(0, 3), 0);
  EXPECT_NE(doc.spectra->power(1, 2)[7], 9.0f);
  EXPECT_NE(doc.phaseTable->inspLow, 0.1f);
}

TEST(DocumentCopy, SettingsCarryOverWithoutRecordingOrResults) {
  Document doc = analysed();
  doc.phaseTable->tags = doc.tagTable.get();
  doc.preferences.frequency = 2;
  std::unique_ptr<Document> copy = copySettings(doc);
  EXPECT_FALSE(copy->recording || copy->tagTable || copy->spectra || copy->averages || copy->wheezeMap);
  EXPECT_EQ(copy->preferences.frequency, 2);
  EXPECT_EQ(copy->panel.spinMax, 300);
  // The thresholds carry over; the phase averages and the hook to the tags do not.
  ASSERT_TRUE(copy->phaseTable);
  EXPECT_EQ(copy->phaseTable->inspLow, doc.phaseTable->inspLow);
  EXPECT_EQ(copy->phaseTable->tags, nullptr);
  for (const PhaseEntry& e : copy->phaseTable->entries) EXPECT_TRUE(e.averageSpectrum.empty());
  // A full copy hooks its phase table to its own tags.
  const std::unique_ptr<Document> full = copyDocument(doc);
  EXPECT_EQ(full->phaseTable->tags, full->tagTable.get());
}
