// Save and Log: the file, the log numbering and the failures.
#include <gtest/gtest.h>

#include <string>

#include "reports/ReportFixture.h"
#include "reports/ReportWriter.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

std::string fileText(const std::string& path) {
  const auto bytes = test::readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string textOf(Document& doc, ReportKind kind, const ReportOptions& o) {
  test::ScriptedPrompter prompter;
  std::string text;
  EXPECT_EQ(ReportText(doc, doc, kind, o, prompter, text), 0);
  return text;
}

struct ReportFiles : ::testing::Test {
  test::TempDir dir;
  std::string path = dir.file("report.txt");
  std::unique_ptr<Document> doc = test::makeReportDocument();
  ReportOptions options = test::shortOptions();
  LogCounter counter;
  test::ScriptedPrompter prompter;

  int write(ReportKind kind, bool append, FileSystem& fs = FileSystem::real()) {
    return WriteReport(*doc, *doc, path, kind, append, options, counter, prompter, fs);
  }
};

}  // namespace

TEST_F(ReportFiles, SaveThenThreeLogsThenSave) {
  ASSERT_EQ(write(ReportKind::AllSegments, false), 0);
  const std::string report = textOf(*doc, ReportKind::AllSegments, options);
  EXPECT_EQ(fileText(path), report);
  EXPECT_EQ(counter.label, "000");

  for (int i = 0; i < 3; ++i) ASSERT_EQ(write(ReportKind::AllSegments, true), 0);
  EXPECT_EQ(counter.count, 3);
  EXPECT_EQ(counter.label, "003");
  EXPECT_EQ(fileText(path), report + "\r\n\r\n+Log001\r\n" + report + "\r\n\r\n+Log002\r\n" + report +
                                "\r\n\r\n+Log003\r\n" + report);

  ASSERT_EQ(write(ReportKind::AllSegments, false), 0);
  EXPECT_EQ(counter.count, 0);
  EXPECT_EQ(counter.label, "000");
  EXPECT_EQ(fileText(path), report);
  ASSERT_EQ(write(ReportKind::AllSegments, true), 0);
  EXPECT_EQ(counter.label, "001");
}

TEST_F(ReportFiles, ANewRunLogsOnAfterTheHighestNumberInTheFile) {
  ASSERT_EQ(write(ReportKind::OverallAverages, false), 0);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(write(ReportKind::OverallAverages, true), 0);
  counter = LogCounter{};  // quit and start again
  for (int i = 0; i < 2; ++i) ASSERT_EQ(write(ReportKind::OverallAverages, true), 0);
  const std::string text = fileText(path);
  for (const char* line : {"+Log001", "+Log002", "+Log003", "+Log004"})
    EXPECT_EQ(text.find(line), text.rfind(line)) << line;
  EXPECT_NE(text.find("+Log004"), std::string::npos);
  EXPECT_EQ(counter.label, "004");
  // A file numbered by hand out of order still gets a number of its own.
  const std::string numbered = "+Log009\r\n+Log002\r\n";
  test::writeBytes(path, std::vector<uint8_t>(numbered.begin(), numbered.end()));
  ASSERT_EQ(write(ReportKind::OverallAverages, true), 0);
  EXPECT_NE(fileText(path).find("+Log010"), std::string::npos);
}

TEST_F(ReportFiles, LogAfterBandPowerEndsItsOpenRow) {
  ASSERT_EQ(write(ReportKind::BandPower, false), 0);
  ASSERT_EQ(write(ReportKind::OverallAverages, true), 0);
  const std::string text = fileText(path);
  EXPECT_NE(text.find("\r\ndB,-1.500,0.000,3.250,10.000,2.000,0.001\r\n\r\n+Log001\r\nOverall Averages Report\r\n"),
            std::string::npos);
}

TEST_F(ReportFiles, LogNumberThousandShowsLabelHundred) {
  ASSERT_EQ(write(ReportKind::OverallAverages, false), 0);
  counter.count = 999;
  ASSERT_EQ(write(ReportKind::OverallAverages, true), 0);
  EXPECT_EQ(counter.count, 1000);
  EXPECT_EQ(counter.label, "100");
  EXPECT_NE(fileText(path).find("\r\n\r\n+Log1000\r\nOverall Averages Report\r\n"), std::string::npos);
  EXPECT_EQ(highestLogNumber(fileText(path)), 1000);
}

TEST_F(ReportFiles, LogToAMissingFileFailsWithoutCreatingIt) {
  counter.count = 4;
  EXPECT_EQ(write(ReportKind::AllSegments, true), 2);
  EXPECT_EQ(ReportErrorText(2), "File not found");
  EXPECT_FALSE(FileSystem::real().exists(path));
  EXPECT_EQ(counter.count, 4);
}

TEST_F(ReportFiles, FailedSaveKeepsThePreviousFileAndTheCounter) {
  test::writeBytes(path, {'o', 'l', 'd'});
  counter = LogCounter{5, "005"};
  for (auto fault : {test::FaultyFileSystem::Fault::Create, test::FaultyFileSystem::Fault::Write,
                     test::FaultyFileSystem::Fault::Close, test::FaultyFileSystem::Fault::Rename}) {
    test::FaultyFileSystem fs;
    fs.fault = fault;
    EXPECT_EQ(write(ReportKind::AllSegments, false, fs), 101);
    EXPECT_EQ(fileText(path), "old");
    EXPECT_EQ(counter.count, 5);
    EXPECT_EQ(counter.label, "005");
  }
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(ReportFiles, FailedLogLeavesTheFileAndTheCountAsTheyWere) {
  ASSERT_EQ(write(ReportKind::OverallAverages, false), 0);
  const std::string saved = fileText(path);

  test::FaultyFileSystem fs;
  fs.fault = test::FaultyFileSystem::Fault::Create;
  fs.code = 5;
  EXPECT_EQ(write(ReportKind::OverallAverages, true, fs), 5);
  EXPECT_EQ(counter.count, 0);
  EXPECT_EQ(fileText(path), saved);

  // The disk fills up half-way through the report, then at the flush.
  fs.fault = test::FaultyFileSystem::Fault::Write;
  fs.writeHalfFirst = true;
  fs.code = 101;
  EXPECT_EQ(write(ReportKind::OverallAverages, true, fs), 101);
  EXPECT_EQ(counter.count, 0);
  EXPECT_EQ(fileText(path), saved);
  fs.fault = test::FaultyFileSystem::Fault::Close;
  fs.code = 160;
  EXPECT_EQ(write(ReportKind::OverallAverages, true, fs), 160);
  EXPECT_EQ(counter.count, 0);
  EXPECT_EQ(fileText(path), saved);

  fs.fault = test::FaultyFileSystem::Fault::None;
  EXPECT_EQ(write(ReportKind::OverallAverages, true, fs), 0);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(fileText(path).rfind("\r\n\r\n+Log001\r\nOverall Averages Report\r\n", saved.size()), saved.size());
}

TEST_F(ReportFiles, RefusalWritesNothing) {
  doc->spectra.reset();
  EXPECT_EQ(write(ReportKind::AllSegments, false), ReportNoAnalysis);
  EXPECT_FALSE(FileSystem::real().exists(path));
  Document empty;
  EXPECT_EQ(WriteReport(empty, empty, path, ReportKind::AllSegments, false, options, counter, prompter), ReportNoData);
  EXPECT_FALSE(FileSystem::real().exists(path));
}
