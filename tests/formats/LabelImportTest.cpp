// A label track taken into a recording: marks, exclusions, what is skipped
// and said, a round trip through the exported track, and a track that cannot
// be read changing nothing.
#include <gtest/gtest.h>

#include "analysis/AnalysisCommand.h"
#include "model/Palette.h"
#include "document/LabelImport.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

struct LabelImportTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;

  void SetUp() override {
    doc.reset();
    doc.recording = std::make_unique<Recording>(test::makeRecording(50, 2));
    std::fill(doc.recording->flow.begin(), doc.recording->flow.end(), int16_t{0});
    doc.prepareOpenedRecording();
    DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  }

  LabelImport apply(std::string_view track) {
    std::vector<TrackLabel> labels;
    std::string error;
    EXPECT_TRUE(parseLabelTrack(track, labels, error)) << error;
    return applyLabelTrack(doc, doc, labels, "t.txt", progress, prompter);
  }
  std::string marks() const {
    std::string out;
    for (int s = 0; s < doc.tagTable->segments(); ++s) {
      const bool x = (doc.tagTable->flags(0, s) | doc.tagTable->flags(1, s)) & Rejected;
      out += x ? 'X' : "0IE.B"[std::min<int>(doc.tagTable->phase(s), 4)];
    }
    return out;
  }
};

TEST_F(LabelImportTest, MarksExcludesAndSaysWhatItSkipped) {
  const LabelImport r = apply(
      "0.1\t1.0\tinspiration\n"
      "1.0\t2.0\tE\n"
      "1.8\t2.2\tb\n"     // overlaps the E label: the later one wins
      "2.5\t2.8\tX\n"
      "3.0\t3.5\tcough\n"
      "3.5\t3.6\tcough\n"
      "3.6\t3.7\t\x01zz\n"
      "9.0\t9.5\tI\n"     // past the 5 s recording
      "4.0\t4.0\tE\n");   // a point label covers no segment
  EXPECT_EQ(marks(), "XIIIIIIIIIEEEEEEEEBBBB000XXX000000000000000000000X");
  EXPECT_EQ(r.used, 4);
  EXPECT_EQ(r.outside, 2);
  ASSERT_EQ(r.unknown.size(), 3u);
  EXPECT_EQ(r.before.first, 1);
  EXPECT_EQ(r.before.last, 27);
  EXPECT_TRUE(doc.state.modified);
  EXPECT_EQ(doc.averages->inspCountOf(0), 9);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text,
            "t.txt: labels other than I, E, B and X skipped: \"cough\" on line 5 and 1 more line, \"?zz\" on line 7");
  EXPECT_EQ(prompter.messages[1].text,
            "t.txt: 2 labels cover no segment of the recording (0 to 5.0 s) and were skipped");

  // Undo puts every segment the track touched back.
  restoreSegments(doc, doc, r.before, progress, prompter);
  EXPECT_EQ(marks(), "X000000000000000000000000000000000000000000000000X");
}

TEST_F(LabelImportTest, AnExportedTrackGivesTheSameTagsToTheUntaggedRecording) {
  apply("0.2\t0.9\tI\n0.9\t1.7\tE\n1.7\t2.5\tB\n3.0\t3.3\tX\n3.3\t4.0\tI\n4.0\t4.6\tE\n");
  const std::string tagged = marks();
  const std::vector<int16_t> flow = doc.recording->flow;
  const std::string path = dir.file("track.txt");
  ASSERT_EQ(writeLabelTrack(path, *doc.tagTable), 0);

  SetUp();  // the same recording again, untagged
  ASSERT_NE(marks(), tagged);
  LabelImport r;
  ASSERT_EQ(importLabelFile(doc, doc, path, progress, prompter, &r), 0);
  EXPECT_EQ(marks(), tagged);
  EXPECT_EQ(doc.recording->flow, flow);
  EXPECT_TRUE(r.unknown.empty());
}

TEST_F(LabelImportTest, ATrackThatCannotBeReadChangesNothing) {
  const std::string path = dir.file("bad.txt");
  test::writeBytes(path, {'0', '\t', '1', '\t', 'I', '\n', '0', '\t', '-', '\n'});
  const std::string before = marks();
  EXPECT_EQ(importLabelFile(doc, doc, path, progress, prompter), 201);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text,
            "Unable to open " + path + "... line 2: expected start and end times in seconds, then a label");
  EXPECT_EQ(marks(), before);
  EXPECT_FALSE(doc.state.modified);

  // Only unknown labels: nothing marked, nothing to undo.
  const LabelImport r = apply("0\t1\tin\n");
  EXPECT_TRUE(r.before.empty());
  EXPECT_FALSE(doc.state.modified);
}

}  // namespace
}  // namespace vode
