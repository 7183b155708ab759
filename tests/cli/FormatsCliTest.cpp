// vode-cli convert between the formats, --dos-channels, --resample, and info
// on every input format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cli/CliRun.h"
#include "formats/BlockFile.h"
#include "formats/DosDat.h"
#include "formats/OpenFile.h"
#include "model/Bytes.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;
using test::runCli;

namespace {

struct FormatsCli : ::testing::Test {
  test::TempDir dir;
  SilentPrompter prompter;
  NullProgress progress;

  // A .mer recording with a DC offset that conversion must leave alone.
  std::string source(int channels, const std::string& name = "src.mer") {
    Document doc;
    doc.recording = std::make_unique<Recording>(test::makeRecording(4, channels));
    for (int16_t& v : doc.recording->sound[0]) v = static_cast<int16_t>(v + 300);
    doc.channelSetup.channelNames[0] = "TRA";
    const std::string path = dir.file(name);
    EXPECT_EQ(saveRecordingFile(doc, path, 0, 3, prompter, progress), 0);
    return path;
  }
  Document read(const std::string& path) {
    Document doc;
    EXPECT_EQ(readByExtension(doc, path, prompter, progress), 0) << path;
    return doc;
  }

  // A canonical WAV header for any format tag and sample size.
  static std::vector<uint8_t> wavHeader(int format, int channels, int rate, int bits, uint32_t dataBytes) {
    std::vector<uint8_t> h(44);
    std::memcpy(h.data(), "RIFFxxxxWAVEfmt ", 16);
    putU32(h.data() + 4, dataBytes + 36);
    putU32(h.data() + 16, 16);
    putU16(h.data() + 20, static_cast<uint16_t>(format));
    putU16(h.data() + 22, static_cast<uint16_t>(channels));
    putU32(h.data() + 24, static_cast<uint32_t>(rate));
    putU32(h.data() + 28, static_cast<uint32_t>(rate * channels * bits / 8));
    putU16(h.data() + 32, static_cast<uint16_t>(channels * bits / 8));
    putU16(h.data() + 34, static_cast<uint16_t>(bits));
    std::memcpy(h.data() + 36, "data", 4);
    putU32(h.data() + 40, dataBytes);
    return h;
  }
};

}  // namespace

TEST_F(FormatsCli, ConvertsBetweenEveryFormatWithoutTouchingTheSamples) {
  const std::string mer = source(2);
  const Document original = read(mer);
  for (const char* name : {"out.bin", "out.wav", "out.dat", "OUT.MER"}) {
    const auto r = runCli({"convert", mer, dir.file(name)});
    ASSERT_EQ(r.exitCode, 0) << name << r.err;
    Document back = read(dir.file(name));
    ASSERT_EQ(back.recording->segmentCount, 4) << name;
    if (std::string(name) == "out.dat") {
      EXPECT_EQ(back.recording->sound[0][3], ((original.recording->sound[0][3] + 32768) / 16 - 2048) * 16);
    } else {
      EXPECT_EQ(back.recording->sound[0], original.recording->sound[0]) << name;
    }
  }
  // And back from each into a recording file.
  for (const char* name : {"out.bin", "out.wav", "out.dat"}) {
    const std::string again = dir.file(std::string(name) + ".mer");
    ASSERT_EQ(runCli({"convert", dir.file(name), again}).exitCode, 0) << name;
    EXPECT_EQ(read(again).recording->channelCount, 2) << name;
  }
  EXPECT_EQ(read(dir.file("out.bin.mer")).recording->sound[1], original.recording->sound[1]);
}

TEST_F(FormatsCli, DosChannelsChooseTheWrittenChannels) {
  const std::string mer = source(3);
  const std::string dat = dir.file("three.dat");
  auto r = runCli({"convert", mer, dat});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--dos-channels"), std::string::npos) << r.err;

  r = runCli({"convert", mer, dat, "--dos-channels", "2,3,1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Document original = read(mer);
  const Document back = read(dat);
  ASSERT_EQ(back.recording->channelCount, 2);
  EXPECT_EQ(back.recording->sound[0][5], ((original.recording->sound[2][5] + 32768) / 16 - 2048) * 16);
  EXPECT_EQ(back.recording->sound[1][5], ((original.recording->sound[0][5] + 32768) / 16 - 2048) * 16);

  for (const char* bad : {"0,0,1", "1,2", "0,4,0", "x,1,2", "0,1,-1"})
    EXPECT_EQ(runCli({"convert", mer, dat, "--dos-channels", bad}).exitCode, 2) << bad;
}

TEST_F(FormatsCli, FailuresUseTheWindowsMessages) {
  const std::string badWav = dir.file("bad.wav");
  test::writeBytes(badWav, std::vector<uint8_t>(100, 'x'));
  auto r = runCli({"convert", badWav, dir.file("o.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("RIFF not found"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Unable to open " + badWav + "... Invalid file format"), std::string::npos) << r.err;

  const std::string mer = source(1);
  const std::string unwritable = dir.file("no/such/folder/o.bin");
  r = runCli({"convert", mer, unwritable});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Unable to save " + unwritable + "... "), std::string::npos) << r.err;

  EXPECT_EQ(runCli({"convert", mer, dir.file("o.xyz")}).exitCode, 2);
}

TEST_F(FormatsCli, InfoNamesEveryFormat) {
  VODE_NEEDS_TESTDATA();
  const std::string mer = source(2);
  for (auto [name, format] : {std::pair{"i.bin", "bin"}, std::pair{"i.wav", "wav"}, std::pair{"i.dat", "dat"}}) {
    ASSERT_EQ(runCli({"convert", mer, dir.file(name)}).exitCode, 0);
    const auto r = runCli({"info", dir.file(name)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    test::JsonValue json;
    std::string error;
    ASSERT_TRUE(test::parseJson(r.out, json, error)) << error;
    EXPECT_EQ(json["format"].text, format);
    EXPECT_EQ(json["version"].number(), 0);
    EXPECT_EQ(json["segments"].number(), 4);
  }
  const auto r = runCli({"info", test::testdata("flow1.dat")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  test::JsonValue json;
  std::string error;
  ASSERT_TRUE(test::parseJson(r.out, json, error)) << error;
  EXPECT_EQ(json["channels"].number(), 2);
  EXPECT_EQ(json["segments"].number(), 80);
}

TEST_F(FormatsCli, ResampleTakesAFloatFileAtAnotherRateAndCountsClipping) {
  // One second of 44.1 kHz stereo float: 440 Hz at half scale, 1 kHz at a
  // quarter, and a short burst beyond full scale on the first channel.
  const int rate = 44100;
  std::vector<uint8_t> bytes = wavHeader(3, 2, rate, 32, rate * 8);
  bytes.resize(44 + rate * 8);
  for (int i = 0; i < rate; ++i) {
    float a = static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * i / rate));
    const float b = static_cast<float>(0.25 * std::sin(2 * M_PI * 1000.0 * i / rate));
    if (i >= 30000 && i < 30050) a = 1.5f;
    putF32(bytes.data() + 44 + 8 * i, a);
    putF32(bytes.data() + 48 + 8 * i, b);
  }
  const std::string in = dir.file("float.wav");
  test::writeBytes(in, bytes);
  const std::string out = dir.file("resampled.mer");
  const auto r = runCli({"convert", "--resample", in, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE((r.out + r.err).find("clipped"), std::string::npos);
  EXPECT_EQ((r.out + r.err).find(" 0 samples clipped"), std::string::npos) << r.out << r.err;

  const Document doc = read(out);
  const Recording& rec = *doc.recording;
  ASSERT_EQ(rec.channelCount, 2);
  EXPECT_EQ(rec.segmentCount, 10);
  for (int16_t f : rec.flow) ASSERT_EQ(f, 0);
  int peakA = 0, peakB = 0;
  for (int i = 1024; i < 4 * 1024; ++i) {
    peakA = std::max(peakA, std::abs(static_cast<int>(rec.sound[0][i])));
    peakB = std::max(peakB, std::abs(static_cast<int>(rec.sound[1][i])));
  }
  EXPECT_NEAR(peakA, 16384, 200);
  EXPECT_NEAR(peakB, 8192, 100);
}

TEST_F(FormatsCli, ResampleCutsLongInputAndRefusesWhatItCannotUse) {
  // 181 s of 16-bit mono at 1000 Hz.
  const int rate = 1000, frames = 181 * rate;
  std::vector<uint8_t> bytes = wavHeader(1, 1, rate, 16, frames * 2);
  bytes.resize(44 + frames * 2);
  for (int i = 0; i < frames; ++i) putI16(bytes.data() + 44 + 2 * i, static_cast<int16_t>((i % 100) * 50));
  const std::string in = dir.file("long.wav");
  test::writeBytes(in, bytes);
  auto r = runCli({"convert", "--resample", in, dir.file("long.mer")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("180 s"), std::string::npos) << r.err;
  EXPECT_EQ(read(dir.file("long.mer")).recording->segmentCount, 1800);

  std::vector<uint8_t> nine = wavHeader(1, 9, 8000, 16, 9 * 2 * 8000);
  nine.resize(44 + 9 * 2 * 8000);
  test::writeBytes(dir.file("nine.wav"), nine);
  r = runCli({"convert", "--resample", dir.file("nine.wav"), dir.file("nine.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("channels"), std::string::npos) << r.err;

  test::writeBytes(dir.file("text.wav"), std::vector<uint8_t>(500, 'a'));
  r = runCli({"convert", "--resample", dir.file("text.wav"), dir.file("text.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Unable to open " + dir.file("text.wav")), std::string::npos) << r.err;

  std::vector<uint8_t> brief = wavHeader(1, 1, 8000, 16, 2 * 400);  // 50 ms
  brief.resize(44 + 800);
  test::writeBytes(dir.file("brief.wav"), brief);
  EXPECT_EQ(runCli({"convert", "--resample", dir.file("brief.wav"), dir.file("brief.mer")}).exitCode, 1);
  EXPECT_FALSE(FileSystem::real().exists(dir.file("brief.mer")));
}

TEST_F(FormatsCli, ResampleTakesEightChannelsAtAVeryLowRate) {
  // 10 s of 8 channels at 4 Hz, channel c held at (c + 1) / 10 of full scale:
  // each input frame makes 2560 output frames, read piece by piece.
  const int rate = 4, frames = 40, channels = 8;
  std::vector<uint8_t> bytes = wavHeader(1, channels, rate, 16, frames * channels * 2);
  bytes.resize(44 + frames * channels * 2);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      putI16(bytes.data() + 44 + 2 * (i * channels + c), static_cast<int16_t>(3277 * (c + 1)));
  test::writeBytes(dir.file("slow.wav"), bytes);
  const auto r = runCli({"convert", "--resample", dir.file("slow.wav"), dir.file("slow.mer")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("from 4 Hz"), std::string::npos) << r.out;
  const Document doc = read(dir.file("slow.mer"));
  ASSERT_EQ(doc.recording->channelCount, channels);
  EXPECT_EQ(doc.recording->segmentCount, 100);
  for (int c = 0; c < channels; ++c) EXPECT_NEAR(doc.recording->sound[c][50 * 1024], 3277 * (c + 1), 40) << c;
}

TEST_F(FormatsCli, RecordingWithoutSegmentsConvertsWhereTheFormatAllows) {
  // A WAV file with an empty data chunk is a recording of no segment: the
  // recording file and WAV hold it, BIN and DOS files cannot.
  const std::vector<uint8_t> empty = wavHeader(1, 2, 10240, 16, 0);
  test::writeBytes(dir.file("empty.wav"), empty);
  ASSERT_EQ(runCli({"convert", dir.file("empty.wav"), dir.file("empty.mer")}).exitCode, 0);
  const Document doc = read(dir.file("empty.mer"));
  EXPECT_EQ(doc.recording->channelCount, 2);
  EXPECT_EQ(doc.recording->segmentCount, 0);
  ASSERT_EQ(runCli({"convert", dir.file("empty.mer"), dir.file("back.wav")}).exitCode, 0);
  EXPECT_EQ(test::readBytes(dir.file("back.wav")), empty);
  EXPECT_EQ(runCli({"convert", dir.file("empty.wav"), dir.file("empty.bin")}).exitCode, 1);
  EXPECT_EQ(runCli({"convert", dir.file("empty.wav"), dir.file("empty.dat")}).exitCode, 1);
  // A range still has to lie inside the recording.
  EXPECT_EQ(runCli({"convert", dir.file("empty.wav"), dir.file("r.mer"), "--first", "0"}).exitCode, 2);
}

TEST_F(FormatsCli, ResampleRefusesNonFiniteSamplesAndReadsPastAWrongDataSize) {
  const int rate = 10240;
  std::vector<uint8_t> floats = wavHeader(3, 2, rate, 32, rate * 8);
  floats.resize(44 + rate * 8);
  for (int i = 0; i < 2 * rate; ++i) putF32(floats.data() + 44 + 4 * i, 0.25f);
  putF32(floats.data() + 44 + 4 * 5001, std::nanf(""));
  test::writeBytes(dir.file("nan.wav"), floats);
  auto r = runCli({"convert", "--resample", dir.file("nan.wav"), dir.file("nan.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, dir.file("nan.wav") + " holds 1 non-finite sample; nothing was converted\n");
  EXPECT_FALSE(FileSystem::real().exists(dir.file("nan.mer")));

  // One second of sound behind a data size of 0, then of a size past the
  // end; one sample more than ten segments.
  std::vector<uint8_t> sound = wavHeader(1, 1, rate, 16, 0);
  sound.resize(44 + 2 * (rate + 1), 0x11);
  for (const uint32_t declared : {0u, 1u << 30}) {
    putU32(sound.data() + 40, declared);
    test::writeBytes(dir.file("open.wav"), sound);
    r = runCli({"convert", "--resample", dir.file("open.wav"), dir.file("open.mer")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, dir.file("open.wav") + ": the header's data size is wrong; the 20482 bytes present were read\n" +
                         dir.file("open.wav") + " ends part-way through a 0.1 s segment: its last 1 sample was dropped\n");
    EXPECT_EQ(read(dir.file("open.mer")).recording->segmentCount, 10);
  }
  // The recording reader keeps to the data size: 0 is a recording of nothing.
  putU32(sound.data() + 40, 0);
  test::writeBytes(dir.file("open.wav"), sound);
  EXPECT_EQ(read(dir.file("open.wav")).recording->segmentCount, 0);
}
