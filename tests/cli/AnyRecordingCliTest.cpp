// Recordings from other equipment through the core's open (the window's) and
// through vode-cli convert --resample: the same samples and warnings; and the
// commands on a recording without a breath signal.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "cli/CliRun.h"
#include "document/OpenDocument.h"
#include "formats/AnyRecording.h"
#include "formats/BlockFile.h"
#include "formats/OpenFile.h"
#include "support/TestSupport.h"

using namespace vode;
using test::runCli;

namespace {

struct AnyRecordingCli : ::testing::Test {
  test::TempDir dir;
  NullProgress progress;

  std::string sound(const std::string& name, int format, int rate, int channels, int frames) {
    const std::string path = dir.file(name);
    EXPECT_TRUE(test::writeSoundFile(path, format, rate, channels, frames)) << sf_strerror(nullptr);
    return path;
  }
  // 2.03 s of 44.1 kHz 24-bit stereo WAV, 1.55 s of 22.05 kHz mono FLAC.
  std::string stereo24() { return sound("steth.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2, 89523); }
  std::string flac() { return sound("steth.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 34178); }
};

TEST_F(AnyRecordingCli, StethoscopeFilesOpenAsConvertResampleWritesThem) {
  struct Case {
    std::string path;
    std::string from;
    int channels;
  };
  for (const Case& c : {Case{stereo24(), "Resampled from 44100 Hz, 24-bit, 2 channels", 2},
                        Case{flac(), "Resampled from 22050 Hz, 16-bit, 1 channel", 1}}) {
    const std::string mer = c.path + ".mer";
    const auto converted = runCli({"convert", "--resample", c.path, mer});
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    Document expected;
    test::ScriptedPrompter quiet;
    ASSERT_EQ(readByExtension(expected, mer, quiet, progress), 0);

    Document doc;
    test::ScriptedPrompter prompter;
    ImportedFrom from;
    ASSERT_EQ(readAnyRecording(doc, c.path, prompter, progress, FileSystem::real(), &from), 0) << c.path;
    EXPECT_EQ(resampledFromText(from), c.from);
    ASSERT_EQ(doc.recording->channelCount, c.channels);
    EXPECT_EQ(doc.recording->segmentCount, expected.recording->segmentCount);
    for (int ch = 0; ch < c.channels; ++ch) EXPECT_EQ(doc.recording->sound[ch], expected.recording->sound[ch]);
    std::string warnings;
    for (const auto& m : prompter.messages) warnings += m.text + "\n";
    EXPECT_EQ(warnings, converted.err);
    EXPECT_NE(warnings.find("ends part-way through a 0.1 s segment"), std::string::npos) << warnings;

    // The open sequence then treats it as any opened file.
    Document opened, openedMer;
    ASSERT_EQ(openPath(opened, c.path, prompter, progress), 0);
    ASSERT_EQ(openPath(openedMer, mer, quiet, progress), 0);
    EXPECT_EQ(opened.state.currentFileName, c.path);
    EXPECT_EQ(opened.recording->sound[0], openedMer.recording->sound[0]);
  }

  // The commands that work on the sound alone take it as it is too; a
  // settings file, which reads without error, is no recording for them.
  EXPECT_EQ(runCli({"crackles", dir.file("steth.flac")}).exitCode, 0);
  Document empty;
  SilentPrompter silent;
  ASSERT_EQ(saveSettingsFile(empty, dir.file("s.set"), silent, progress), 0);
  const auto settings = runCli({"cycles", dir.file("s.set")});
  EXPECT_EQ(settings.exitCode, 1);
  EXPECT_NE(settings.err.find("holds settings, not a recording"), std::string::npos) << settings.err;

  // Without --resample, convert keeps the WAV reader's refusal.
  const auto refused = runCli({"convert", dir.file("steth.wav"), dir.file("plain.mer")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("WAVE sampling rate not 10240 Hz"), std::string::npos) << refused.err;
}

TEST_F(AnyRecordingCli, OwnFormatsKeepTheirReadersAndWhatNothingReadsIsRefusedAsBefore) {
  const std::vector<std::string> extensions = recordingExtensions();
  ASSERT_GE(extensions.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(extensions.begin(), extensions.begin() + 4),
            (std::vector<std::string>{"mer", "bin", "dat", "wav"}));
  for (const char* ext : {"flac", "ogg", "aiff", "aif", "w64", "caf"})
    EXPECT_EQ(std::count(extensions.begin(), extensions.end(), ext), 1) << ext;
  EXPECT_EQ(std::count(extensions.begin(), extensions.end(), "raw"), 0);

  test::ScriptedPrompter prompter;
  Document doc;
  ImportedFrom from;
  const std::string wav = dir.file("own.wav");
  test::writeShortWav(wav, 3 * 1024);
  ASSERT_EQ(readAnyRecording(doc, wav, prompter, progress, FileSystem::real(), &from), 0);
  EXPECT_FALSE(from.resampled);
  EXPECT_EQ(resampledFromText(from), "");
  EXPECT_EQ(std::abs(doc.recording->sound[0][5]), 20000);

  const std::string junk = dir.file("junk.wav");
  test::writeBytes(junk, std::vector<uint8_t>(64, 'x'));
  EXPECT_EQ(readAnyRecording(doc, junk, prompter, progress), 201);
  EXPECT_EQ(prompter.messages.back().text, "RIFF not found");
  test::writeBytes(dir.file("junk.flac"), std::vector<uint8_t>(64, 'x'));
  EXPECT_EQ(readAnyRecording(doc, dir.file("junk.flac"), prompter, progress), 201);
  EXPECT_EQ(readAnyRecording(doc, dir.file("missing.ogg"), prompter, progress), 2);

  // A sound file that libsndfile opens but that cannot be a recording.
  const std::string nine = sound("nine.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 9, 8000);
  ASSERT_EQ(readAnyRecording(doc, wav, prompter, progress), 0);
  prompter.messages.clear();
  EXPECT_EQ(readAnyRecording(doc, nine, prompter, progress), 201);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, nine + " has 9 channels; 1 to 8 can be imported");
  EXPECT_TRUE(doc.recording);  // refused before anything was replaced

  // A sample that is no finite number refuses the file in the open as in convert.
  const std::string nan = dir.file("nan.wav");
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(nan.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr);
  std::vector<float> samples(4000, 0.1f);
  samples[1000] = std::nanf("");
  sf_writef_float(file, samples.data(), 4000);
  sf_close(file);
  EXPECT_EQ(readAnyRecording(doc, nan, prompter, progress), 201);
  EXPECT_EQ(prompter.messages.back().text, nan + " holds 1 non-finite sample; nothing was converted");
  EXPECT_EQ(doc.recording->channelCount, 1);
}

TEST_F(AnyRecordingCli, ReportsOnARecordingWithoutBreathSignalSaySoAndKeepTheirFormats) {
  const std::string wav = stereo24();
  const std::string expected = wav + " has no breath signal: phase averages are empty\n";
  const auto analyzed = runCli({"analyze", wav});
  EXPECT_EQ(analyzed.exitCode, 0);
  EXPECT_NE(analyzed.err.find(expected), std::string::npos) << analyzed.err;
  EXPECT_NE(analyzed.out.find("\"phaseCounts\":{\"0\":20,"), std::string::npos) << analyzed.out;

  const auto report = runCli({"report", wav, "-o", "-", "--kind", "overall"});
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_NE(report.err.find(expected), std::string::npos);
  EXPECT_NE(report.out.find("\r\nTagged,0,0,0\r\n0,-200.0,-200.0,-200.0\r\n"), std::string::npos) << report.out;

  // Commands that need no phases, and recordings with a breath signal, stay quiet.
  const auto sonogram = runCli({"sonogram", wav, "-o", dir.file("s.png")});
  EXPECT_EQ(sonogram.exitCode, 0);
  EXPECT_EQ(sonogram.err.find("breath"), std::string::npos);
  ASSERT_EQ(runCli({"synth", dir.file("breathing.mer"), "--seconds", "5"}).exitCode, 0);
  EXPECT_EQ(runCli({"analyze", dir.file("breathing.mer")}).err.find("breath"), std::string::npos);
}

}  // namespace
