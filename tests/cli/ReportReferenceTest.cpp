// vode-cli report against the reference reports in the test data: texts,
// counts, tags and status codes exactly, numbers within one step of their
// last printed digit.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/ReportCliSupport.h"
#include "support/TestSupport.h"

using namespace vode::test;
using namespace vode::test::reportcli;

namespace {

struct Reference {
  const char* file;       // the reference report
  const char* recording;  // its recording, run from the testdata folder
  std::vector<std::string> options;
  std::vector<int> ignoreLines;
  double offByOneShare;   // largest share of fields allowed one digit off
};

std::ostream& operator<<(std::ostream& out, const Reference& r) { return out << r.file; }

// A DOS file has no birth date: its report shows the day it was written.
const std::vector<int> BirthDateLine = {5};  // 0-based: the sixth line

// The references' spectra came from a double-precision transform: a few dB
// values (about 1 in 1000) and more watt values (about 1 in 100) may differ in
// their last digit.
const Reference references[] = {
    {"flow2_tagged.kind0.txt", "flow2_tagged.mer", {"--kind", "0"}, {}, 0.01},
    {"flow2_tagged.kind1.txt", "flow2_tagged.mer", {"--kind", "tagged"}, {}, 0.01},
    {"flow2_tagged.kind2.txt", "flow2_tagged.mer", {"--kind", "2"}, {}, 0.01},
    {"flow2_tagged.kind3.txt", "flow2_tagged.mer", {"--kind", "octave"}, {}, 0.01},
    {"flow2_tagged.kind4.txt", "flow2_tagged.mer", {"--kind", "4"}, {}, 0.01},
    {"flow2_tagged.kind4.watts.ch2.txt", "flow2_tagged.mer",
     {"--kind", "all", "--units", "watts", "--channel", "2"}, {}, 0.03},
    {"flow2_tagged.kind5.txt", "flow2_tagged.mer", {"--kind", "5"}, {}, 0.01},
    {"flow2_tagged.kind6.txt", "flow2_tagged.mer", {"--kind", "flow"}, {}, 0.01},
    {"flow2_tagged.kind7.txt", "flow2_tagged.mer", {"--kind", "7"}, {}, 0.01},
    {"resp1.kind0.txt", "resp1.mer", {"--kind", "0"}, {}, 0.01},
    {"resp1.kind3.txt", "resp1.mer", {"--kind", "3"}, {}, 0.01},
    {"resp1.kind7.txt", "resp1.mer", {"--kind", "summary"}, {}, 0.01},
    {"flow1_dat.kind3.txt", "flow1.dat", {"--kind", "3"}, BirthDateLine, 0.01},
    {"flow2_tagged.kind4.wheeze.txt", "flow2_tagged.mer", {"--kind", "4", "--wheeze"}, {}, 0.01},
};

class ReportReference : public ::testing::TestWithParam<Reference> {};

}  // namespace

TEST_P(ReportReference, AgreesFieldByField) {
  VODE_NEEDS_TESTDATA();
  const Reference& ref = GetParam();
  TempDir dir;
  const std::string out = dir.file("report.txt");
  std::vector<std::string> args = {"report", ref.recording, "-o", out};
  args.insert(args.end(), ref.options.begin(), ref.options.end());
  const RunResult run = runVode(args, testdata(""));
  if (run.exitCode == 2 && run.err.find("not available") != std::string::npos)
    GTEST_SKIP() << run.err;
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const std::string expected = readText(testdata(ref.file));
  const std::string actual = readText(out);
  ASSERT_FALSE(expected.empty());
  const Agreement a = compareReports(expected, actual, ref.ignoreLines);
  std::cout << "[ agreement ] " << ref.file << ": " << a.summary() << "\n";
  RecordProperty("fields", a.fields);
  RecordProperty("exact", a.exact);
  RecordProperty("offByOne", a.offByOne);
  RecordProperty("worse", a.worse);
  EXPECT_EQ(a.worse, 0) << a.summary();
  EXPECT_LE(a.offByOne, a.fields * ref.offByOneShare) << a.summary();
  // The line structure is exact, including a last line without a break.
  EXPECT_EQ(std::count(actual.begin(), actual.end(), '\n'), std::count(expected.begin(), expected.end(), '\n'));
  EXPECT_EQ(actual.back(), expected.back());
}

INSTANTIATE_TEST_SUITE_P(Files, ReportReference, ::testing::ValuesIn(references),
                         [](const ::testing::TestParamInfo<Reference>& info) {
                           std::string name = info.param.file;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });
