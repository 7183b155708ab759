#include <gtest/gtest.h>

#include "model/DateText.h"
#include "model/Records.h"
#include "model/TagTable.h"

using namespace vode;

TEST(Records, DefaultsAfterReset) {
  SubjectRecord s;
  s.reset();
  EXPECT_EQ(s.weight, 50.0f);
  EXPECT_EQ(s.height, 100.0f);
  EXPECT_EQ(s.birthDate, todayAsDays());
  PreferencesRecord p;
  EXPECT_EQ(p.waveformTime, 2);
  EXPECT_EQ(p.amplitude, 10);
  EXPECT_EQ(p.dBScale, 1);
  EXPECT_EQ(p.dBReference, 1e-8f);
  ChannelSetup c;
  EXPECT_EQ(c.soundSampleRate, 10240);
  EXPECT_EQ(c.flowFullScale, 1.5f);
  EXPECT_EQ(c.offsetRemoval[7], 1);
}

TEST(Records, FieldsSitAtTheirOffsets) {
  SubjectRecord s;
  s.lastName = "Horvat";
  s.firstName = "Ana";
  s.id = "ID";
  s.sex = 1;
  s.birthDate = 18673.0;
  s.weight = 73.8f;
  s.height = 170.0f;
  s.diagnosis = "asthma";
  s.remarks = "r";
  auto img = imageOf(s);
  EXPECT_EQ(img[0], 6);
  EXPECT_EQ(img[1], 'H');
  EXPECT_EQ(img[31], 3);
  EXPECT_EQ(img[62], 2);
  EXPECT_EQ(img[83], 1);
  EXPECT_EQ(img[100], 6);
  EXPECT_EQ(img[161], 1);
  SubjectRecord back;
  back.read(img.data());
  EXPECT_EQ(imageOf(back), img);
  EXPECT_EQ(back.weight, 73.8f);
  EXPECT_EQ(back.birthDate, 18673.0);

  ChannelSetup c;
  c.channelNames[7] = "RLbas";
  c.offsetRemoval[7] = 0;
  c.setupChannelCount = 3;
  auto ci = imageOf(c);
  EXPECT_EQ(ci[12 + 21 * 7], 5);
  EXPECT_EQ(ci[199], 0);
  EXPECT_EQ(ci[190], 3);
  ChannelSetup cb;
  cb.read(ci.data());
  EXPECT_EQ(imageOf(cb), ci);

  PreferencesRecord p;
  p.flowHoldsPower = 1;
  p.analyseOnOpen = 1;
  auto pi = imageOf(p);
  EXPECT_EQ(pi[37], 1);
  EXPECT_EQ(pi[32], 1);
  PreferencesRecord pb;
  pb.read(pi.data());
  EXPECT_EQ(imageOf(pb), pi);

  LaboratoryRecord l;
  l.investigator = "Dr";
  auto li = imageOf(l);
  EXPECT_EQ(li[212], 2);
  AnalysisParameters a;
  auto ai = imageOf(a);
  EXPECT_EQ(ai[0], 7);
  EXPECT_EQ(ai[2], 4);
  EXPECT_EQ(ai[4], 3);
}

TEST(Records, ShortStringsCutAndKeepTrailingBytes) {
  ShortString<5> s("abcdefgh");
  EXPECT_EQ(s.str(), "abcde");
  uint8_t raw[6] = {200, 'x', 'y', 'z', 'w', 'v'};
  s.read(raw);
  EXPECT_EQ(s.str(), "xyzwv");  // a length above the capacity is limited
  uint8_t stored[6] = {1, 'a', 'J', 'U', 'N', 'K'};
  s.read(stored);
  uint8_t out[6] = {};
  s.write(out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 6), std::vector<uint8_t>(stored, stored + 6));
}

TEST(Records, ShortItemOverlaysTheRecordStart) {
  PreferencesRecord p;
  const uint8_t bytes[4] = {5, 0, 3, 0};
  overlayImage(p, bytes, 4);
  EXPECT_EQ(p.waveformTime, 5);
  EXPECT_EQ(p.amplitude, 3);
  EXPECT_EQ(p.dBScale, 1);
}

TEST(Dates, FormatAndParse) {
  EXPECT_EQ(formatDate(0.0), "30/12/1899");
  EXPECT_EQ(formatDate(18673.0), "14/02/1951");
  EXPECT_EQ(formatDate(18673.75), "14/02/1951");
  EXPECT_EQ(parseDate("14/02/1951").value(), 18673.0);
  EXPECT_EQ(parseDate("1/2/2000").value(), daysFromCivil(2000, 2, 1));
  EXPECT_FALSE(parseDate("31/02/2000"));
  EXPECT_FALSE(parseDate("29/02/1900"));
  EXPECT_TRUE(parseDate("29/02/2000"));
  EXPECT_FALSE(parseDate("14/02/51"));
  EXPECT_FALSE(parseDate("aa/bb/cccc"));
}

TEST(TagTable, LimitsAndReadsOutside) {
  TagTable t;
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(t.rows(), -1);
  EXPECT_EQ(t.create(9, 10), 3);
  EXPECT_EQ(t.segments(), -1);
  EXPECT_EQ(t.create(2, 16385), 3);
  EXPECT_EQ(t.create(1, 0), 3);
  ASSERT_EQ(t.create(8, 16384), 0);
  EXPECT_EQ(t.phase(16384), 0);
  EXPECT_EQ(t.setPhase(-1, 1), 3);
  EXPECT_EQ(t.setFlags(8, 0, 1), 3);
  EXPECT_EQ(t.flags(0, 16383), 0);
}

TEST(TagTable, StatusCodesAndPredicates) {
  TagTable t;
  ASSERT_EQ(t.create(2, 4), 0);
  t.setPhase(0, Inspiration);
  t.setFlags(0, 0, Clipped | Rejected | Wheeze | AdFlag);
  EXPECT_EQ(t.StatusCode(0, 0), "ICXWzAd");
  EXPECT_EQ(t.StatusCode(1, 0), "I");
  EXPECT_EQ(t.StatusCode(1, 1), "");
  t.setPhase(1, 7);
  t.setFlags(1, 1, ArFlag | CrFlag);
  EXPECT_EQ(t.StatusCode(1, 1), "IEBArCr");
  EXPECT_FALSE(t.taggedClean(0, 0));
  EXPECT_TRUE(t.taggedClean(1, 0));
  EXPECT_TRUE(t.breathClean(1, 0));
  t.setPhase(2, Background);
  EXPECT_TRUE(t.taggedClean(0, 2));
  EXPECT_FALSE(t.breathClean(0, 2));
  EXPECT_FALSE(t.cleanEverywhere(0));
  EXPECT_TRUE(t.cleanEverywhere(2));
}

TEST(TagTable, TagWordsRoundTrip) {
  TagTable t;
  ASSERT_EQ(t.create(2, 4), 0);
  t.setPhase(0, Background);
  t.setFlags(0, 0, Rejected | 0xC0);
  EXPECT_EQ(t.PackTagWord(0), 0x0302);
  t.setPhase(1, Expiration);
  EXPECT_EQ(t.PackTagWord(1), 0x0200);
  t.UnpackTagWord(2, 0x0111);
  EXPECT_EQ(t.phase(2), Inspiration);
  EXPECT_EQ(t.flags(0, 2), 0x11);
  EXPECT_EQ(t.flags(1, 2), 0x11);
  t.UnpackTagWord(3, 0x04FF);
  EXPECT_EQ(t.phase(3), 0);
  EXPECT_EQ(t.flags(0, 3), 0x3F);
}
