// The program's command line.
#include <gtest/gtest.h>

#include <QDir>

#include "app/LaunchOptions.h"

using namespace vode;

TEST(LaunchOptions, ScreenshotArguments) {
  LaunchOptions options;
  QString error;
  ASSERT_TRUE(parseLaunchOptions({"a.mer", "--screenshot", "out.png", "--view", "waveform", "--channel", "2",
                                  "--segment", "40", "--flow-display", "volume"},
                                 options, error));
  EXPECT_TRUE(options.screenshot);
  // Paths are made whole against the folder the program starts in.
  EXPECT_EQ(options.files.join("|").toStdString(), QDir::current().absoluteFilePath("a.mer").toStdString());
  EXPECT_EQ(options.screenshotPath.toStdString(), QDir::current().absoluteFilePath("out.png").toStdString());
  EXPECT_EQ(options.view, "waveform");
  EXPECT_EQ(options.channel, 2);
  EXPECT_EQ(options.segment, 40);
  EXPECT_EQ(options.flowDisplay, "volume");

  ASSERT_TRUE(parseLaunchOptions({"only.mer"}, options, error));
  EXPECT_FALSE(options.screenshot);
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--view", "chart"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--channel", "0"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--segment", "3"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"--screenshot", "o.png"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--bogus", "1"}, options, error));

  ASSERT_TRUE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--band", "300", "600", "--chart", "flow-bin-db"},
                                 options, error));
  EXPECT_EQ(options.bandMin, 300);
  EXPECT_EQ(options.bandMax, 600);
  EXPECT_EQ(options.chart, 3);
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--band", "300"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--band", "600", "300"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--chart", "pie"}, options, error));
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--chart", "summary"}, options, error));
}

TEST(LaunchOptions, DeveloperWheezeAndHelp) {
  LaunchOptions options;
  QString error;
  ASSERT_TRUE(parseLaunchOptions({"a.mer", "--developer"}, options, error));
  EXPECT_TRUE(options.developer);
  EXPECT_FALSE(parseLaunchOptions({"a.mer", "--wheeze"}, options, error));
  EXPECT_TRUE(error.contains("--screenshot"));
  ASSERT_TRUE(parseLaunchOptions({"a.mer", "--screenshot", "o.png", "--wheeze"}, options, error));
  EXPECT_TRUE(options.wheeze);
  ASSERT_TRUE(parseLaunchOptions({"--device", "audio:nullsink.monitor", "a.mer"}, options, error));
  EXPECT_EQ(options.device, "audio:nullsink.monitor");
  EXPECT_EQ(options.files.size(), 1);
  EXPECT_FALSE(parseLaunchOptions({"--device"}, options, error));
  ASSERT_TRUE(parseLaunchOptions({"--list-devices"}, options, error));
  EXPECT_TRUE(options.listDevices);
  ASSERT_TRUE(parseLaunchOptions({"--help"}, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_TRUE(QString(LaunchUsage).contains("--developer"));
}
