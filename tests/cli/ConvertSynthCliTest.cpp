#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/BlockFile.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

Document load(const std::string& path) {
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  EXPECT_EQ(loadBlockFile(doc, path, prompter, progress), 0) << path;
  return doc;
}

}  // namespace

TEST(ConvertCli, WholeFilePassesUnchanged) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  const std::string in = test::testdata("flow2_tagged.mer");
  const test::CliResult r = test::runCli({"convert", in, dir.file("copy.mer")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::readBytes(dir.file("copy.mer")), test::readBytes(in));
}

TEST(ConvertCli, RangeKeepsThoseSegments) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  const std::string in = test::testdata("flow2_tagged.mer");
  ASSERT_EQ(test::runCli({"convert", in, dir.file("part.MER"), "--first", "10", "--last", "19"}).exitCode, 0);
  const Document whole = load(in);
  const Document part = load(dir.file("part.MER"));
  ASSERT_EQ(part.recording->segmentCount, 10);
  EXPECT_EQ(part.recording->sound[1][0], whole.recording->sound[1][10 * 1024]);
  EXPECT_EQ(part.recording->flow[319], whole.recording->flow[20 * 32 - 1]);
  EXPECT_EQ(part.tagTable->phase(0), whole.tagTable->phase(10));
  EXPECT_EQ(imageOf(part.subject), imageOf(whole.subject));

  ASSERT_EQ(test::runCli({"convert", in, dir.file("tail.mer"), "--first", "149"}).exitCode, 0);
  EXPECT_EQ(load(dir.file("tail.mer")).recording->segmentCount, 1);
}

TEST(ConvertCli, RecordingWithoutSegmentsCopies) {
  test::TempDir dir;
  Document doc;
  doc.recording = std::make_unique<Recording>(Recording::create(0, 2));
  doc.comments = "empty take";
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(saveRecordingFile(doc, dir.file("empty.mer"), 0, -1, prompter, progress), 0);
  const test::CliResult r = test::runCli({"convert", dir.file("empty.mer"), dir.file("copy.mer")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::readBytes(dir.file("copy.mer")), test::readBytes(dir.file("empty.mer")));
  const Document back = load(dir.file("copy.mer"));
  ASSERT_TRUE(back.recording);
  EXPECT_EQ(back.recording->segmentCount, 0);
  EXPECT_EQ(back.recording->channelCount, 2);
  EXPECT_EQ(test::runCli({"convert", dir.file("empty.mer"), dir.file("o.mer"), "--first", "0"}).exitCode, 2);
}

TEST(ConvertCli, Refusals) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  const std::string in = test::testdata("resp1.mer");
  EXPECT_EQ(test::runCli({"convert", in, dir.file("o.mer"), "--first", "5", "--last", "4"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"convert", in, dir.file("o.mer"), "--last", "120"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"convert", in, dir.file("o.mer"), "--first", "x"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"convert", in}).exitCode, 2);
  EXPECT_EQ(test::runCli({"convert", in, dir.file("o.xyz")}).exitCode, 2);
  EXPECT_EQ(test::runCli({"convert", dir.file("none.mer"), dir.file("o.mer")}).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("o.mer")));

  const test::CliResult r = test::runCli({"convert", in, dir.file("missing/o.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Unable to save " + dir.file("missing/o.mer") + "... File not found\n");

  Document settings;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(saveSettingsFile(settings, dir.file("MERO.SET"), prompter, progress), 0);
  EXPECT_EQ(test::runCli({"convert", dir.file("MERO.SET"), dir.file("o.mer")}).exitCode, 1);
}

TEST(SynthCli, DeterministicAndShapedByItsOptions) {
  test::TempDir dir;
  ASSERT_EQ(test::runCli({"synth", dir.file("a.mer"), "--seconds", "3"}).exitCode, 0);
  ASSERT_EQ(test::runCli({"synth", dir.file("b.mer"), "--seconds", "3", "--seed", "1"}).exitCode, 0);
  ASSERT_EQ(test::runCli({"synth", dir.file("c.mer"), "--seconds", "3", "--seed", "2"}).exitCode, 0);
  EXPECT_EQ(test::readBytes(dir.file("a.mer")), test::readBytes(dir.file("b.mer")));
  EXPECT_NE(test::readBytes(dir.file("a.mer")), test::readBytes(dir.file("c.mer")));
  const Document a = load(dir.file("a.mer"));
  EXPECT_EQ(a.recording->channelCount, 2);
  EXPECT_EQ(a.recording->segmentCount, 30);
  EXPECT_EQ(a.channelSetup.airflowKind, 0);

  ASSERT_EQ(test::runCli({"synth", dir.file("r.mer"), "--resp", "--channels", "3", "--seconds", "1.5"}).exitCode, 0);
  const Document r = load(dir.file("r.mer"));
  EXPECT_EQ(r.channelSetup.airflowKind, 1);
  EXPECT_EQ(r.recording->channelCount, 3);
  EXPECT_EQ(r.recording->segmentCount, 15);
}

TEST(SynthCli, Refusals) {
  test::TempDir dir;
  const std::string out = dir.file("x.mer");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"synth"}, {"synth", out, "--channels", "9"}, {"synth", out, "--channels", "-1"},
        {"synth", out, "--seconds", "0"}, {"synth", out, "--seconds", "181"}, {"synth", out, "--seconds", "nan"},
        {"synth", out, "--seed", "-3"}, {"synth", out, "--seed"}, {"synth", out, out}})
    EXPECT_EQ(test::runCli(args).exitCode, 2) << args.back();
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(test::runCli({"synth", dir.file("no/x.mer")}).exitCode, 1);
}
