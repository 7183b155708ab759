// Label tracks: what the parser takes and refuses, the midpoint rule, and the
// text written from tags.
#include <gtest/gtest.h>

#include "formats/FileErrors.h"
#include "formats/LabelTrack.h"
#include "model/TagTable.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

std::vector<TrackLabel> parsed(std::string_view text) {
  std::vector<TrackLabel> labels;
  std::string error;
  EXPECT_TRUE(parseLabelTrack(text, labels, error)) << error;
  return labels;
}

std::string refusal(std::string_view text) {
  std::vector<TrackLabel> labels;
  std::string error;
  EXPECT_FALSE(parseLabelTrack(text, labels, error)) << text;
  EXPECT_TRUE(labels.empty()) << text;  // nothing of a refused track is taken
  return error;
}

TEST(LabelTrack, TakesTheFormsEditorsWrite) {
  // Audacity: tabs, six decimals, a frequency line after a label; a BOM and
  // CR LF from an editor on another system; blanks between fields by hand.
  const auto labels = parsed(
      "\xEF\xBB\xBF"
      "0.500000\t1.250000\tinspiration phase\r\n"
      "\\\t100.000000\t800.000000\r\n"
      "\r\n"
      "1,25\t2,5\tE\n"
      "2.5   3.0   b  \n"
      "3\t3.5\n"
      "4e0\t4.5\t X \t tail");
  ASSERT_EQ(labels.size(), 5u);
  EXPECT_EQ(labels[0].start, 0.5);
  EXPECT_EQ(labels[0].end, 1.25);
  EXPECT_EQ(labels[0].text, "inspiration phase");
  EXPECT_EQ(labels[0].line, 1);
  EXPECT_EQ(labels[1].start, 1.25);  // a decimal comma
  EXPECT_EQ(labels[1].line, 4);
  EXPECT_EQ(labels[2].text, "b");
  EXPECT_EQ(labels[3].text, "");
  EXPECT_EQ(labels[4].start, 4.0);
  EXPECT_EQ(labels[4].text, "X \t tail");
}

TEST(LabelTrack, RefusesWhatIsNoLabelNamingTheLine) {
  EXPECT_EQ(refusal("0\t1\tI\nabc\t2\tE\n"), "line 2: expected start and end times in seconds, then a label");
  EXPECT_EQ(refusal("1.5\n").substr(0, 7), "line 1:");
  EXPECT_EQ(refusal("2\t1\tI").substr(0, 7), "line 1:");   // ends before it starts
  EXPECT_EQ(refusal("-1\t1\tI").substr(0, 7), "line 1:");  // before the recording
  using namespace std::string_literals;
  for (const std::string& bad : {"nan\t1\tI"s, "0\tinf\tI"s, "0\t1e999\tI"s, "0x1\t2\tI"s, "+1\t2\tI"s,
                                 "1.2.3\t4\tI"s, "0\t1,5,5\tI"s, "0\0\t1\tI"s, "0\t\0\tI"s})
    refusal(bad);
  EXPECT_EQ(refusal(std::string_view("0\t1\tI\n\x01\x02\x03", 9)).substr(0, 7), "line 2:");
}

TEST(LabelTrack, KnowsTheFourMarksInAnyCase) {
  EXPECT_EQ(labelMarkOf("I"), LabelMark::Inspiration);
  EXPECT_EQ(labelMarkOf(" InSpiration "), LabelMark::Inspiration);
  EXPECT_EQ(labelMarkOf("e"), LabelMark::Expiration);
  EXPECT_EQ(labelMarkOf("EXPIRATION"), LabelMark::Expiration);
  EXPECT_EQ(labelMarkOf("b"), LabelMark::Background);
  EXPECT_EQ(labelMarkOf("x"), LabelMark::Exclude);
  EXPECT_EQ(labelMarkOf("Exclude"), LabelMark::Exclude);
  for (const char* other : {"", "in", "ins", "inspirations", "wheeze", "I E"})
    EXPECT_EQ(labelMarkOf(other), LabelMark::Unknown) << other;
}

TEST(LabelTrack, ASegmentBelongsToTheLabelHoldingItsMiddle) {
  const auto range = [](double a, double b) {
    const SegmentRange r = labelSegments({a, b, "I", 1});
    return std::make_pair(r.first, r.last);
  };
  EXPECT_EQ(range(0.0, 0.1), std::make_pair(0, 0));
  EXPECT_EQ(range(0.04, 0.16), std::make_pair(0, 1));  // middles 0.05 and 0.15
  EXPECT_EQ(range(0.06, 0.14), std::make_pair(1, 0));  // no middle inside: empty
  EXPECT_EQ(range(1.0, 1.0), std::make_pair(10, 9));   // a point label covers nothing
  EXPECT_EQ(range(0.05, 0.15), std::make_pair(0, 0));  // start inside, end outside
  EXPECT_EQ(range(179.9, 1e300).first, 1799);
  EXPECT_GT(range(1e300, 1e300).first, TagTable::MaxSegments);
}

TEST(LabelTrack, WritesOneLinePerRunOfEqualMarks) {
  TagTable tags;
  ASSERT_EQ(tags.create(2, 130), 0);
  for (int s = 1; s < 12; ++s) tags.setPhase(s, Inspiration);
  for (int s = 12; s < 20; ++s) tags.setPhase(s, Expiration);
  for (int s = 25; s < 125; ++s) tags.setPhase(s, Background);
  tags.setPhase(125, 3);  // two phase bits: no single mark
  tags.addFlags(0, 0, Rejected);
  tags.addFlags(1, 5, Rejected);  // on one channel: excluded
  tags.addFlags(0, 6, Clipped);
  EXPECT_EQ(labelTrackText(tags),
            "0.0\t0.1\tX\n"
            "0.1\t0.5\tI\n"
            "0.5\t0.6\tX\n"
            "0.6\t1.2\tI\n"
            "1.2\t2.0\tE\n"
            "2.5\t12.5\tB\n");

}

TEST(LabelTrack, ReadsBoundedFilesThroughTheFileSystem) {
  test::TempDir dir;
  std::vector<TrackLabel> labels;
  std::string error;
  EXPECT_EQ(readLabelTrack(dir.file("none.txt"), labels, error), 2);
  EXPECT_EQ(error, "File not found");
  test::writeBytes(dir.file("bad.txt"), {'1', '\t', 'x', '\n'});
  EXPECT_EQ(readLabelTrack(dir.file("bad.txt"), labels, error), ErrFormat);
  EXPECT_EQ(error.substr(0, 7), "line 1:");

  test::FaultyFileSystem fs;
  test::writeBytes(dir.file("ok.txt"), {'0', '\t', '1', '\t', 'I', '\n'});
  EXPECT_EQ(readLabelTrack(dir.file("ok.txt"), labels, error, fs), 0);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_LE(fs.largestRead, MaxLabelFileBytes + 1);

  TagTable tags;
  tags.create(1, 3);
  tags.setPhase(1, Expiration);
  EXPECT_EQ(writeLabelTrack(dir.file("out.txt"), tags), 0);
  const std::vector<uint8_t> bytes = test::readBytes(dir.file("out.txt"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0.1\t0.2\tE\n");
}

}  // namespace
}  // namespace vode
