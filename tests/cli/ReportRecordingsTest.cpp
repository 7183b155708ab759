// vode-cli report on recordings unlike the shared reference ones: other
// frequency ranges, up to eight channels, a respiration band, watts, other
// bands and thresholds, and logs numbered on from an existing file.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "cli/ReportCliSupport.h"
#include "formats/BlockFile.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "support/TestSupport.h"

using namespace vode;
using namespace vode::test;
using namespace vode::test::reportcli;

namespace {

// A synthetic recording saved as a .mer file, after an optional change.
std::string writeRecording(const TempDir& dir, const std::string& name, const SynthOptions& options,
                           const std::function<void(Document&)>& change = {}) {
  Document doc;
  makeSyntheticRecording(doc, options);
  if (change) change(doc);
  ScriptedPrompter prompter;
  NullProgress progress;
  const std::string path = dir.file(name);
  EXPECT_EQ(saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, prompter, progress), 0);
  return path;
}

SynthOptions shortRecording(int channels, bool resp = false) {
  SynthOptions o;
  o.seed = 11;
  o.channels = channels;
  o.seconds = 12.0;
  o.resp = resp;
  return o;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// The spectral rows of a report: the lines that start with a digit; each must
// name the next bin's frequency.
int spectralRows(const std::string& text) {
  int rows = 0;
  for (const std::string& line : linesOf(text)) {
    if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(5 * rows));
    ++rows;
  }
  return rows;
}

std::string report(const std::string& input, const std::string& out, std::vector<std::string> options) {
  std::vector<std::string> args = {"report", input, "-o", out};
  args.insert(args.end(), options.begin(), options.end());
  const RunResult r = runVode(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return readText(out);
}

}  // namespace

TEST(ReportRecordings, SpectralRowsFollowTheFilesRangeOrTheOption) {
  TempDir dir;
  const std::string out = dir.file("r.txt");
  // The stored frequency preference; an index outside the list is limited to
  // it as in the window.
  const std::vector<std::pair<int, int>> ranges = {{0, 240}, {1, 480}, {2, 960}, {7, 960}, {-1, 240}};
  for (const auto& [index, rows] : ranges) {
    const std::string input = writeRecording(dir, "range" + std::to_string(index + 1) + ".mer", shortRecording(1),
                                             [index = index](Document& doc) {
                                               doc.preferences.frequency = static_cast<int16_t>(index);
                                             });
    for (const char* kind : {"0", "1", "2", "4"})
      EXPECT_EQ(spectralRows(report(input, out, {"--kind", kind})), rows) << "index " << index << " kind " << kind;
  }
  const std::string wide = dir.file("range3.mer");
  EXPECT_EQ(spectralRows(report(wide, out, {"--kind", "4", "--max-frequency", "2400"})), 480);
  EXPECT_EQ(spectralRows(report(wide, out, {"--kind", "0", "--max-frequency", "1200"})), 240);
  // The octave bands do not depend on the range.
  const std::string octave = report(wide, out, {"--kind", "octave"});
  EXPECT_NE(octave.find(",1200-2400 Hz,2400-4800 Hz\r\n"), std::string::npos);
}

TEST(ReportRecordings, EveryChannelOfAnEightChannelRecording) {
  TempDir dir;
  std::vector<std::string> names;
  const std::string input = writeRecording(dir, "eight.mer", shortRecording(8), [&names](Document& doc) {
    for (int c = 0; c < 8; ++c) names.push_back(doc.channelSetup.channelNames[c].str());
  });
  const std::string out = dir.file("r.txt");
  std::vector<std::string> bodies;
  for (int c = 1; c <= 8; ++c) {
    const std::string text = report(input, out, {"--kind", "all", "--channel", std::to_string(c)});
    EXPECT_NE(text.find("\r\nReport for channel " + std::to_string(c) + ": " + names[c - 1] + "\r\nPneumotach in use\r\n"),
              std::string::npos)
        << c;
    bodies.push_back(text.substr(text.find("\r\n0,")));
  }
  // Each channel's sound is its own: no two bodies are the same.
  for (int a = 0; a < 8; ++a)
    for (int b = a + 1; b < 8; ++b) EXPECT_NE(bodies[a], bodies[b]) << a + 1 << " and " << b + 1;
  const RunResult ninth = runVode({"report", input, "-o", out, "--kind", "0", "--channel", "9"});
  EXPECT_EQ(ninth.exitCode, 2);
}

TEST(ReportRecordings, RespirationBandInEveryKind) {
  TempDir dir;
  const std::string input = writeRecording(dir, "band.mer", shortRecording(2, true));
  const std::string out = dir.file("r.txt");
  for (int kind = 0; kind < 8; ++kind) {
    const std::string text = report(input, out, {"--kind", std::to_string(kind), "--channel", "2"});
    const auto lines = linesOf(text);
    ASSERT_GT(lines.size(), 11u);
    EXPECT_EQ(lines[8].rfind("Report for channel 2: ", 0), 0u) << kind;
    EXPECT_EQ(lines[9], "Respiband in use") << kind;
    // No flow thresholds and no volume, whatever the kind.
    EXPECT_EQ(text.find("Target "), std::string::npos) << kind;
    EXPECT_EQ(text.find("Minimum phase volume"), std::string::npos) << kind;
    EXPECT_EQ(text.find("Volume"), std::string::npos) << kind;
    EXPECT_EQ(text.find("Flow (L/s)"), std::string::npos) << kind;
    if (kind <= 4)
      EXPECT_EQ(lines[10], "Power in dB, reference 1.000E-008") << kind;
    else
      EXPECT_EQ(lines[10], "Frequency band: 0 to 100 Hz") << kind;
    if (kind == 1 || kind == 4 || kind == 5) {
      std::size_t row = 0;
      while (row < lines.size() && lines[row].rfind("Segment", 0) != 0) ++row;
      ASSERT_LT(row + 2, lines.size());
      EXPECT_EQ(lines[row + 1].rfind("Resp (V)", 0), 0u) << kind;
      EXPECT_EQ(lines[row + 2].rfind("Status", 0), 0u) << kind;
    }
  }
  EXPECT_NE(report(input, out, {"--kind", "3"}).find("\r\n\r\nSegment,Tag,Resp (V),75-150 Hz,150-300 Hz,"),
            std::string::npos);
}

TEST(ReportRecordings, UnitsOnlyWhereSpectralPowersArePrinted) {
  TempDir dir;
  const std::string input = writeRecording(dir, "units.mer", shortRecording(2));
  const std::string out = dir.file("r.txt");
  for (int kind = 0; kind < 8; ++kind) {
    const std::string db = report(input, out, {"--kind", std::to_string(kind)});
    const std::string watts = report(input, out, {"--kind", std::to_string(kind), "--units", "watts"});
    if (kind >= 5) {
      // Band power, flow power and the summary are in dB whatever the choice.
      EXPECT_EQ(watts, db) << kind;
      EXPECT_EQ(db.find("Power in"), std::string::npos) << kind;
      continue;
    }
    EXPECT_NE(db.find("\r\nMinimum phase volume: "), std::string::npos);
    EXPECT_NE(watts.find(" L\r\nPower in watts\r\n\r\n"), std::string::npos) << kind;
    // Every spectral field of the watts report is "%0.4e": d.dddE+ddd.
    int fields = 0;
    for (const std::string& line : linesOf(watts)) {
      if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
      std::string::size_type at = line.find(',');
      // The octave rows carry the segment's status, flow and volume first.
      if (kind == 3)
        for (int skip = 0; skip < 3; ++skip) at = line.find(',', at + 1);
      while (at != std::string::npos) {
        const auto next = line.find(',', at + 1);
        const std::string field = line.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        ++fields;
        ASSERT_EQ(field.size(), 10u) << kind << ": " << line;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(field[0])) && field[1] == '.' && field[5] == 'E' &&
                    (field[6] == '+' || field[6] == '-'))
            << kind << ": " << field;
        at = next;
      }
    }
    EXPECT_GT(fields, 0) << kind;
  }
}

TEST(ReportRecordings, BandThresholdAndRectificationReachTheReports) {
  TempDir dir;
  const std::string input = writeRecording(dir, "band.mer", shortRecording(1));
  const std::string out = dir.file("r.txt");
  const std::string low = report(input, out, {"--kind", "band"});
  const std::string high = report(input, out, {"--kind", "band", "--band", "300", "600"});
  EXPECT_NE(high.find("\r\nFrequency band: 300 to 600 Hz\r\nBackground reference: "), std::string::npos);
  // Another band gives other band powers and another background reference.
  const auto dbRow = [](const std::string& text) { return text.substr(text.rfind("\r\ndB,")); };
  EXPECT_NE(dbRow(low), dbRow(high));
  EXPECT_NE(low.substr(low.find("Background reference")), high.substr(high.find("Background reference")));

  const std::string plain = report(input, out, {"--kind", "summary"});
  const std::string strict = report(input, out, {"--kind", "summary", "--db-threshold", "20"});
  const std::string rectified = report(input, out, {"--kind", "summary", "--rectify"});
  const auto flowPart = [](const std::string& text) {
    return text.substr(text.find("Flow Summary"), text.find("Power Summary") - text.find("Flow Summary"));
  };
  const auto powerPart = [](const std::string& text) { return text.substr(text.find("Power Summary")); };
  // The flow summary depends on neither; the power summary on both.
  EXPECT_EQ(flowPart(strict), flowPart(plain));
  EXPECT_EQ(flowPart(rectified), flowPart(plain));
  EXPECT_NE(powerPart(strict), powerPart(plain));
  EXPECT_NE(powerPart(rectified), powerPart(plain));
}

TEST(ReportRecordings, AppendNumbersOnFromTheLastLogLine) {
  TempDir dir;
  const std::string input = writeRecording(dir, "log.mer", shortRecording(1));
  const std::string out = dir.file("log.txt");
  const std::string saved = report(input, out, {"--kind", "0"});
  // A file already logged to 41 times by the window.
  writeBytes(out, std::vector<uint8_t>(saved.begin(), saved.end()));
  std::string text = saved + "\r\n\r\n+Log040\r\n" + saved + "\r\n\r\n+Log041\r\n" + saved;
  writeBytes(out, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(report(input, out, {"--kind", "0", "--append"}), text + "\r\n\r\n+Log042\r\n" + saved);

  text = saved + "\r\n\r\n+Log999\r\n" + saved;
  writeBytes(out, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(report(input, out, {"--kind", "0", "--append"}), text + "\r\n\r\n+Log1000\r\n" + saved);
  EXPECT_EQ(report(input, out, {"--kind", "0", "--append"}),
            text + "\r\n\r\n+Log1000\r\n" + saved + "\r\n\r\n+Log1001\r\n" + saved);
}
