// The detector on real spectra: recordings made here, and the reference
// recording with the flags its reference report gives.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/AnalysisCommand.h"
#include "analysis/WheezeDetection.h"
#include "document/Document.h"
#include "formats/BlockFile.h"
#include "model/Palette.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "model/SyntheticEvents.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

bool hasWheeze(const Document& doc, int c, int s) { return (doc.tagTable->flags(c, s) & Wheeze) != 0; }

void analyseAndDetect(Document& doc) {
  test::ScriptedPrompter prompter;
  NullProgress progress;
  DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter), 0);
}

// The Status row of a report, one code per segment.
std::vector<std::string> statusRow(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Status,", 0) != 0) continue;
    std::vector<std::string> codes;
    std::istringstream fields(line.substr(7));
    for (std::string code; std::getline(fields, code, ',');) codes.push_back(code);
    if (line.back() == ',') codes.push_back("");
    return codes;
  }
  return {};
}

}  // namespace

TEST(WheezeRecording, A400HzToneOverFiveSegmentsFlagsThoseSegments) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(30, 2, 7));
  Recording& r = *doc.recording;
  // Quiet breath noise everywhere, a 400 Hz tone on segments 10 to 14.
  for (int c = 0; c < 2; ++c)
    for (int32_t i = 0; i < r.soundSampleCount; ++i) {
      double v = r.sound[c][i] / 20.0;
      if (i >= 10 * SegmentSamples && i < 15 * SegmentSamples) v += 2000.0 * std::sin(2 * M_PI * 400.0 * i / SoundRate);
      r.sound[c][i] = static_cast<int16_t>(std::lround(v));
    }
  analyseAndDetect(doc);
  for (int c = 0; c < 2; ++c) {
    for (int s = 10; s <= 14; ++s) EXPECT_TRUE(hasWheeze(doc, c, s)) << c << "/" << s;
    // 400 Hz is bin 80: row 159 of the 1200 Hz image.
    EXPECT_EQ(doc.wheezeMap->image[c].at(12, 159), WheezeMarkIndex);
    // Quiet segments: not the edges (half their window is silence) and not
    // next to the tone, whose linking lends weak neighbours its strength.
    for (int s = 1; s < 29; ++s) {
      if (s >= 8 && s <= 16) continue;
      EXPECT_FALSE(hasWheeze(doc, c, s)) << c << "/" << s;
    }
  }
}

TEST(WheezeRecording, SilenceThroughTheWholeAnalysisGivesNoMarks) {
  Document doc;
  doc.recording = std::make_unique<Recording>(Recording::create(20, 2));
  analyseAndDetect(doc);
  for (int c = 0; c < 2; ++c) {
    for (int s = 0; s < 20; ++s) EXPECT_FALSE(hasWheeze(doc, c, s));
    for (uint8_t p : doc.wheezeMap->image[c].pixels) ASSERT_NE(p, WheezeMarkIndex);
  }
}

TEST(WheezeRecording, SyntheticWheezesAreFoundAndLittleElse) {
  SynthOptions options;
  options.seed = 5;
  options.seconds = 30;
  options.wheezes = true;
  Document doc;
  std::vector<SynthEvent> events;
  makeSyntheticRecording(doc, options, &events);
  doc.prepareOpenedRecording();
  analyseAndDetect(doc);

  // Segments wholly inside a wheeze, and segments at least one away from any.
  int inside = 0, found = 0, outside = 0, stray = 0;
  for (int s = 0; s < doc.recording->segmentCount; ++s) {
    const double t0 = s / 10.0, t1 = t0 + 0.1;
    bool within = false, near = false;
    for (const SynthEvent& e : events) {
      within = within || (t0 >= e.start && t1 <= e.end);
      near = near || (t1 + 0.1 > e.start && t0 - 0.1 < e.end);
    }
    const bool flagged = hasWheeze(doc, 0, s) || hasWheeze(doc, 1, s);
    if (within) {
      ++inside;
      found += flagged;
    } else if (!near) {
      ++outside;
      stray += flagged;
    }
  }
  std::cout << "synthetic wheezes: " << found << " of " << inside << " wheezing segments flagged, " << stray
            << " of " << outside << " others\n";
  ASSERT_GT(inside, 10);
  EXPECT_GE(found * 10, inside * 9);
  EXPECT_LE(stray * 10, outside);
}

TEST(WheezeRecording, ReferenceRecordingAgreesWithTheReferenceFlags) {
  VODE_NEEDS_TESTDATA();
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(loadBlockFile(doc, test::testdata("flow2_tagged.mer"), prompter, progress), 0);
  doc.prepareOpenedRecording();
  analyseAndDetect(doc);

  const std::vector<std::string> reference = statusRow(test::testdata("flow2_tagged.kind4.wheeze.txt"));
  ASSERT_EQ(static_cast<int>(reference.size()), doc.recording->segmentCount);
  int agree = 0, referenceFlags = 0, ourFlags = 0;
  std::string differing;
  for (int s = 0; s < doc.recording->segmentCount; ++s) {
    const bool theirs = reference[s].find("Wz") != std::string::npos;
    const bool ours = hasWheeze(doc, 0, s);
    referenceFlags += theirs;
    ourFlags += ours;
    if (theirs == ours) {
      ++agree;
    } else {
      differing += " " + std::to_string(s);
    }
  }
  std::cout << "flow2_tagged channel 1: Wz agrees on " << agree << " of " << reference.size()
            << " segments (reference " << referenceFlags << " flags, ours " << ourFlags << ")"
            << (differing.empty() ? "" : "; differing:" + differing) << "\n";
  // The reference spectra came from a double-precision transform, so a rare
  // segment near the threshold may differ.
  EXPECT_GE(agree, static_cast<int>(reference.size()) - 2);
  // The 450 Hz wheeze near segment 40 is found.
  for (int s = 40; s <= 44; ++s) EXPECT_TRUE(hasWheeze(doc, 0, s)) << s;
}
