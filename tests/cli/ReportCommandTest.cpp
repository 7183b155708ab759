// vode-cli report: options, logs across processes, batches and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/ReportCliSupport.h"
#include "support/TestSupport.h"

using namespace vode::test;
using namespace vode::test::reportcli;

namespace {

const std::string Flow2 = testdata("flow2_tagged.mer");
const std::string Resp1 = testdata("resp1.mer");

std::vector<std::string> reportArgs(const std::string& input, const std::string& out, std::vector<std::string> more) {
  std::vector<std::string> args = {"report", input, "-o", out};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

}  // namespace

TEST(ReportCompare, CountsExactOffByOneAndWorse) {
  const Agreement same = compareReports("a,1.5\r\nb,2", "a,1.5\r\nb,2");
  EXPECT_EQ(same.fields, 4);
  EXPECT_EQ(same.exact, 4);
  const Agreement near = compareReports("1.235E-005,-0.000,9.999E-006,Ti = 1.7 : 2.8",
                                        "1.236E-005,0.000,1.000E-005,Ti = 1.8 : 2.8");
  EXPECT_EQ(near.offByOne, 4);
  EXPECT_EQ(near.worse, 0);
  const Agreement far = compareReports("12.3,I,5,x\r\nmore", "12.5,E,6,x,extra");
  EXPECT_EQ(far.worse, 5);  // 12.5, E, 6, the extra field and the missing line
  EXPECT_EQ(far.exact, 1);
}

TEST(ReportCommand, HelpAndUsageErrors) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("r.txt");
  const RunResult help = runVode({"report", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: vode-cli report"), std::string::npos);

  const std::vector<std::vector<std::string>> wrong = {
      {"report", Flow2, "--kind", "0"},
      reportArgs(Flow2, out, {}),
      {"report", "-o", out, "--kind", "0"},
      reportArgs(Flow2, out, {"--kind", "8"}),
      reportArgs(Flow2, out, {"--kind", "everything"}),
      reportArgs(Flow2, out, {"--kind", "0", "--channel", "0"}),
      reportArgs(Flow2, out, {"--kind", "0", "--channel", "9"}),
      reportArgs(Flow2, out, {"--kind", "0", "--units", "dBm"}),
      reportArgs(Flow2, out, {"--kind", "5", "--band", "100"}),
      reportArgs(Flow2, out, {"--kind", "5", "--band", "0", "4801"}),
      reportArgs(Flow2, out, {"--kind", "6", "--flow-bin", "4"}),
      reportArgs(Flow2, out, {"--kind", "7", "--db-threshold", "51"}),
      reportArgs(Flow2, out, {"--kind", "0", "--max-frequency", "1000"}),
      reportArgs(Flow2, out, {"--kind", "0", "--db-reference", "0"}),
      reportArgs(Flow2, out, {"--kind", "0", "--db-reference", "watt"}),
      reportArgs(Flow2, out, {"--kind", "0", "--db-reference", "3e38"}),
      reportArgs(Flow2, out, {"--kind", "0", "--db-reference", "1e-50"}),
      reportArgs(Flow2, out, {"--kind", "0", "--colour"}),
  };
  for (const auto& args : wrong) {
    const RunResult r = runVode(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << "\n" << r.err;
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ReportCommand, FileErrorsExitWithOne) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const RunResult missing = runVode(reportArgs(dir.file("none.mer"), dir.file("r.txt"), {"--kind", "0"}));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Unable to open "), std::string::npos) << missing.err;

  const RunResult channel = runVode(reportArgs(Resp1, dir.file("r.txt"), {"--kind", "0", "--channel", "2"}));
  EXPECT_EQ(channel.exitCode, 1);
  EXPECT_NE(channel.err.find("no channel 2"), std::string::npos) << channel.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("r.txt")));

  const RunResult unwritable = runVode(reportArgs(Resp1, dir.file("no/such/folder/r.txt"), {"--kind", "0"}));
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("Unable to save "), std::string::npos) << unwritable.err;
}

TEST(ReportCommand, AppendContinuesTheLogNumbering) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("log.txt");
  // A log to a file that does not exist yet starts it like a save.
  ASSERT_EQ(runVode(reportArgs(Resp1, out, {"--kind", "band", "--append"})).exitCode, 0);
  const std::string report = readText(out);
  ASSERT_EQ(report.rfind("Band Power Report\r\n", 0), 0u);
  EXPECT_EQ(report.find("+Log"), std::string::npos);

  ASSERT_EQ(runVode(reportArgs(Resp1, out, {"--kind", "band", "--append"})).exitCode, 0);
  ASSERT_EQ(runVode(reportArgs(Resp1, out, {"--kind", "band", "--append"})).exitCode, 0);
  EXPECT_EQ(readText(out), report + "\r\n\r\n+Log001\r\n" + report + "\r\n\r\n+Log002\r\n" + report);

  // A save starts the file again.
  ASSERT_EQ(runVode(reportArgs(Resp1, out, {"--kind", "band"})).exitCode, 0);
  EXPECT_EQ(readText(out), report);
}

TEST(ReportCommand, OptionsReachTheReport) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("r.txt");
  ASSERT_EQ(runVode(reportArgs(Flow2, out, {"--kind", "flow", "--band", "150", "300", "--flow-bin", "50"})).exitCode,
            0);
  std::string text = readText(out);
  EXPECT_NE(text.find("Frequency band: 150 to 300 Hz\r\n"), std::string::npos);
  EXPECT_NE(text.find("Flow bin size: 50 mL/s\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Power in"), std::string::npos);

  ASSERT_EQ(runVode(reportArgs(Flow2, out, {"--kind", "0", "--max-frequency", "4800", "--db-reference", "1e-6"}))
                .exitCode,
            0);
  text = readText(out);
  EXPECT_NE(text.find("Power in dB, reference 1.000E-006\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n4795,"), std::string::npos);
  EXPECT_EQ(text.find("\r\n4800,"), std::string::npos);

  ASSERT_EQ(runVode(reportArgs(Flow2, out, {"--kind", "0", "--units", "watts", "--channel", "2"})).exitCode, 0);
  text = readText(out);
  EXPECT_NE(text.find("Report for channel 2: "), std::string::npos);
  EXPECT_NE(text.find("Power in watts\r\n"), std::string::npos);
  EXPECT_NE(text.find("E-0"), std::string::npos);
}

TEST(ReportCommand, SeveralFilesWriteOneReportEachIntoTheFolder) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string folder = dir.file("reports");
  const RunResult r =
      runVode({"report", "flow2_tagged.mer", "resp1.mer", "-o", folder, "--kind", "octave"}, testdata(""));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string flow = readText(folder + "/flow2_tagged.kind3.txt");
  const std::string resp = readText(folder + "/resp1.kind3.txt");
  EXPECT_NE(flow.find("Generated from file flow2_tagged.mer\r\n"), std::string::npos);
  EXPECT_NE(resp.find("Generated from file resp1.mer\r\n"), std::string::npos);
  EXPECT_NE(resp.find("\r\nSegment,Tag,Resp (V),75-150 Hz,"), std::string::npos);

  // A bad file in a batch does not stop the others but fails the run.
  const RunResult mixed = runVode({"report", "missing.mer", "resp1.mer", "-o", folder, "--kind", "0"}, testdata(""));
  EXPECT_EQ(mixed.exitCode, 1);
  EXPECT_TRUE(std::filesystem::exists(folder + "/resp1.kind0.txt"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/missing.kind0.txt"));
}

TEST(ReportCommand, NamesTheFileAsGivenOnTheCommandLine) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const std::string out = dir.file("r.txt");
  for (const std::string& input : {Resp1, std::string("./resp1.mer"), std::string("../testdata/resp1.mer")}) {
    const RunResult r = runVode(reportArgs(input, out, {"--kind", "summary"}), testdata(""));
    ASSERT_EQ(r.exitCode, 0) << input << "\n" << r.err;
    EXPECT_EQ(readText(out).rfind("Summary Report\r\nGenerated from file " + input + "\r\nLast name:  ", 0), 0u)
        << input;
  }
  // In a batch each report names its own input the same way.
  const std::string folder = dir.file("batch");
  ASSERT_EQ(runVode({"report", "./resp1.mer", Flow2, "-o", folder, "--kind", "7"}, testdata("")).exitCode, 0);
  EXPECT_NE(readText(folder + "/resp1.kind7.txt").find("\r\nGenerated from file ./resp1.mer\r\n"), std::string::npos);
  EXPECT_NE(readText(folder + "/flow2_tagged.kind7.txt").find("\r\nGenerated from file " + Flow2 + "\r\n"),
            std::string::npos);
}
