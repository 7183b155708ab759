// vode-cli table and labels, and "-o -" for the commands that write one file.
#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/OpenFile.h"
#include "support/TestSupport.h"

using namespace vode;
using test::runCli;

namespace {

struct TableLabelsCli : ::testing::Test {
  test::TempDir dir;

  std::string synth(const std::string& name, const std::string& seed, const std::string& channels = "2") {
    const std::string path = dir.file(name);
    EXPECT_EQ(runCli({"synth", path, "--seed", seed, "--channels", channels, "--seconds", "12"}).exitCode, 0);
    return path;
  }
  std::string text(const std::string& path) {
    const std::vector<uint8_t> bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
};

// Reads the table with Python's csv module as a data-frame library would:
// every row as wide as the header, numbers where numbers belong.
const char* const CsvCheck = R"(
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.DictReader(f))
for r in rows:
    assert None not in r and None not in r.values(), r
    int(r['channel']); int(r['segment']); float(r['time_s']); float(r['flow_L_s'])
    assert r['phase'] in ('I', 'E', 'B', ''), r['phase']
    assert all(r[k] in ('0', '1') for k in ('rejected', 'clipped', 'wheeze', 'crackle'))
    for k in r:
        if k.startswith('power_dB_'): float(r[k])
    if r['peak_hz']: int(r['peak_hz'])
print(len(rows), len({r['file'] for r in rows}), sum(r['phase'] != '' for r in rows))
)";

TEST_F(TableLabelsCli, TableOfSeveralFilesReadsBackWithTheCsvModule) {
  const std::string a = synth("a.mer", "1"), b = synth("b,c.mer", "2", "1");
  const std::string out = dir.file("t.csv");
  const auto r = runCli({"table", a, b, "-o", out, "--jobs", "2", "--band", "100", "400", "--band", "400", "800"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string table = text(out);
  EXPECT_EQ(table.substr(0, table.find('\n')),
            "file,channel,channel_name,segment,time_s,phase,rejected,clipped,wheeze,crackle,flow_L_s,volume_L,"
            "power_dB_100_400,power_dB_400_800,peak_hz");
  EXPECT_EQ(table.find('\r'), std::string::npos);

  const auto python = test::runProgram({"/usr/bin/python3", "-c", CsvCheck, out});
  ASSERT_EQ(python.exitCode, 0) << python.err;
  EXPECT_EQ(python.out.substr(0, python.out.find(' ')), std::to_string(3 * 120));
  EXPECT_EQ(python.out.substr(python.out.find(' ') + 1, 2), "2 ");
  EXPECT_GT(std::stoi(python.out.substr(python.out.rfind(' ') + 1)), 100);

  // One job or two, a file or standard output: the same table, in input order.
  const auto sequential = runCli({"table", a, b, "-o", "-", "--jobs", "1", "--band", "100", "400", "--band", "400",
                                  "800"});
  EXPECT_EQ(sequential.out, table);
  EXPECT_EQ(table.find("\"" + b + "\",1,"), table.find(b) - 1);
  EXPECT_LT(table.find(a + ",2,"), table.find("\"" + b));

  // The default bands are the octave report's; a failed file leaves the others.
  const auto octave = runCli({"table", a, dir.file("missing.mer"), "-o", dir.file("o.csv")});
  EXPECT_EQ(octave.exitCode, 1);
  EXPECT_NE(text(dir.file("o.csv")).find(",power_dB_2400_4800,peak_hz\n" + a + ",1,"), std::string::npos);
  EXPECT_EQ(runCli({"table", a, "-o", out, "--band", "400", "100"}).exitCode, 2);
}

TEST_F(TableLabelsCli, LabelsRoundTripThroughATrack) {
  const std::string rec = synth("r.mer", "3");
  const std::string track = dir.file("track.txt");
  ASSERT_EQ(runCli({"labels", "export", rec, "-o", track}).exitCode, 0);
  const std::string exported = text(track);
  ASSERT_NE(exported.find("\tI\n"), std::string::npos) << exported;
  EXPECT_EQ(runCli({"labels", "export", rec, "-o", "-"}).out, exported);

  // The track taken into the recording without its breath signal gives the same tags.
  const std::string flat = dir.file("flat.mer");
  ASSERT_EQ(runCli({"convert", rec, dir.file("flat.wav")}).exitCode, 0);
  ASSERT_EQ(runCli({"convert", dir.file("flat.wav"), flat}).exitCode, 0);
  EXPECT_EQ(runCli({"labels", "export", flat, "-o", "-"}).out, "0.0\t0.1\tX\n11.9\t12.0\tX\n");
  const auto imported = runCli({"labels", "import", flat, track, "-o", dir.file("marked.mer")});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(runCli({"labels", "export", dir.file("marked.mer"), "-o", "-"}).out, exported);
  EXPECT_EQ(runCli({"analyze", dir.file("marked.mer")}).err.find("breath signal"), std::string::npos);

  // Unknown labels are listed and skipped; a broken track writes nothing.
  test::writeBytes(dir.file("odd.txt"), {'1', '\t', '2', '\t', 'w', 'h', 'e', 'e', 'z', 'e', '\n'});
  const auto odd = runCli({"labels", "import", flat, dir.file("odd.txt"), "-o", dir.file("odd.mer")});
  EXPECT_EQ(odd.exitCode, 0);
  EXPECT_NE(odd.err.find("\"wheeze\" on line 1"), std::string::npos) << odd.err;
  test::writeBytes(dir.file("bad.txt"), {'1', '\t', 'I', '\n'});
  const auto bad = runCli({"labels", "import", flat, dir.file("bad.txt"), "-o", dir.file("bad.mer")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("bad.txt... line 1:"), std::string::npos) << bad.err;
  EXPECT_FALSE(FileSystem::real().exists(dir.file("bad.mer")));
  EXPECT_EQ(runCli({"labels", "import", flat, track, "-o", dir.file("x.wav")}).exitCode, 2);
  EXPECT_EQ(runCli({"labels", "move", flat, "-o", "-"}).exitCode, 2);
}

TEST_F(TableLabelsCli, ReportAndSonogramWriteOneFileToStandardOutput) {
  const std::string rec = synth("s.mer", "4");
  ASSERT_EQ(runCli({"report", rec, "-o", dir.file("r.txt"), "--kind", "band"}).exitCode, 0);
  const auto report = runCli({"report", rec, "-o", "-", "--kind", "band"});
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_EQ(report.out, text(dir.file("r.txt")));
  ASSERT_EQ(runCli({"sonogram", rec, "-o", dir.file("s.png")}).exitCode, 0);
  EXPECT_EQ(runCli({"sonogram", rec, "-o", "-"}).out, text(dir.file("s.png")));

  EXPECT_EQ(runCli({"report", rec, rec, "-o", "-", "--kind", "band"}).exitCode, 2);
  EXPECT_EQ(runCli({"report", rec, "-o", "-", "--kind", "band", "--append"}).exitCode, 2);
  EXPECT_EQ(runCli({"sonogram", rec, rec, "-o", "-"}).exitCode, 2);
}

}  // namespace
