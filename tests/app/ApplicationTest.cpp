// The unattended screenshot run.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <filesystem>
#include <fstream>
#include <regex>
#include <QFileInfo>
#include <QImage>
#include <sstream>

#include "app/Application.h"
#include "app/LaunchOptions.h"
#include "formats/BlockFile.h"
#include "support/TestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

WindowOptions optionsIn(const TempDir& dir) {
  WindowOptions options;
  options.configDir = dir.path().string() + "/";
  options.tempDir = dir.path().string() + "/";
  return options;
}

}  // namespace

TEST(Screenshot, WritesThePictureOfTheWholeWindow) {
  TempDir dir;
  Document doc;
  doc.recording = std::make_unique<Recording>(makeRecording(60, 2));
  SilentPrompter quiet;
  NullProgress none;
  const std::string recording = dir.file("shot.mer");
  ASSERT_EQ(saveRecordingFile(doc, recording, 0, 59, quiet, none), 0);

  LaunchOptions options;
  QString error;
  const QString png = QString::fromStdString(dir.file("shot.png"));
  ASSERT_TRUE(parseLaunchOptions({QString::fromStdString(recording), "--screenshot", png, "--view", "waveform",
                                  "--segment", "30", "--flow-display", "volume"},
                                 options, error));
  std::ostringstream err;
  EXPECT_EQ(takeScreenshot(options, optionsIn(dir), err), 0);
  // Boxes are answered and printed: here the missing default settings.
  EXPECT_NE(err.str().find("Unable to load default settings"), std::string::npos);

  QImage image(png);
  ASSERT_FALSE(image.isNull());
  const qreal ratio = image.devicePixelRatio();
  EXPECT_EQ(image.width(), qRound(632 * ratio));
  EXPECT_GT(image.height(), qRound(444 * ratio));  // the client area and the menu bar
}

TEST(Screenshot, UnreadableFileStillAnswersEveryBox) {
  TempDir dir;
  LaunchOptions options;
  QString error;
  const QString png = QString::fromStdString(dir.file("none.png"));
  ASSERT_TRUE(parseLaunchOptions({QString::fromStdString(dir.file("absent.mer")), "--screenshot", png}, options, error));
  std::ostringstream err;
  EXPECT_EQ(takeScreenshot(options, optionsIn(dir), err), 1);
  EXPECT_NE(err.str().find("Unable to open " + dir.file("absent.mer") + "... File not found"), std::string::npos);
  EXPECT_FALSE(QImage(png).isNull());
}

TEST(Screenshot, RelativeNamesMeanTheStartingFolder) {
  // Opening a file moves the current folder to the file's folder; the picture
  // must still land where the command line said, not beside the recording.
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "data");
  Document doc;
  doc.recording = std::make_unique<Recording>(makeRecording(20, 1));
  SilentPrompter quiet;
  NullProgress none;
  ASSERT_EQ(saveRecordingFile(doc, dir.file("data/rel.mer"), 0, 19, quiet, none), 0);

  const QString started = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
  LaunchOptions options;
  QString error;
  const bool parsed = parseLaunchOptions({"data/rel.mer", "--screenshot", "rel.png"}, options, error);
  std::ostringstream err;
  const int code = parsed ? takeScreenshot(options, optionsIn(dir), err) : -1;
  QDir::setCurrent(started);

  ASSERT_TRUE(parsed) << error.toStdString();
  EXPECT_EQ(code, 0) << err.str();
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(dir.file("rel.png"))));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.file("data/rel.png"))));
}

TEST(Screenshot, WheezeRunsTheDetectorAndShowsItsImage) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  LaunchOptions options;
  QString error;
  const QString plain = QString::fromStdString(dir.file("plain.png"));
  const QString wheeze = QString::fromStdString(dir.file("wheeze.png"));
  const QString file = QString::fromStdString(testdata("flow2_tagged.mer"));
  std::ostringstream err;
  ASSERT_TRUE(parseLaunchOptions({file, "--screenshot", plain}, options, error));
  ASSERT_EQ(takeScreenshot(options, optionsIn(dir), err), 0);
  ASSERT_TRUE(parseLaunchOptions({file, "--screenshot", wheeze, "--wheeze"}, options, error));
  ASSERT_EQ(takeScreenshot(options, optionsIn(dir), err), 0);
  EXPECT_NE(err.str().find("Wheeze analysis completed"), std::string::npos);
  EXPECT_NE(QImage(plain), QImage(wheeze));
}

TEST(Screenshot, EachChartTypeOfThePowerPanel) {
  VODE_NEEDS_TESTDATA();
  TempDir dir;
  const QString file = QString::fromStdString(testdata("flow2_tagged.mer"));
  std::vector<QImage> pictures;
  for (const QString& type : ChartTypeNames) {
    LaunchOptions options;
    QString error;
    const QString png = QString::fromStdString(dir.file(type.toStdString() + ".png"));
    ASSERT_TRUE(parseLaunchOptions({file, "--screenshot", png, "--chart", type, "--band", "200", "400"}, options, error))
        << error.toStdString();
    std::ostringstream err;
    ASSERT_EQ(takeScreenshot(options, optionsIn(dir), err), 0) << err.str();
    pictures.emplace_back(png);
    ASSERT_FALSE(pictures.back().isNull()) << type.toStdString();
  }
  // Every type shows something of its own.
  for (size_t i = 0; i < pictures.size(); ++i)
    for (size_t j = i + 1; j < pictures.size(); ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " " << j;
}

TEST(Manual, InstalledCopyFirstThenTheBuildFoldersLink) {
  TempDir prefix;
  const QString bin = QString::fromStdString(prefix.file("bin"));
  const std::string installed = prefix.file("share/rezu-vode/manual/index.html");
  EXPECT_EQ(findManual(bin), installed);  // named even when missing
  std::filesystem::create_directories(prefix.path() / "bin/manual");
  writeBytes(prefix.file("bin/manual/index.html"), {'x'});
  EXPECT_EQ(findManual(bin), prefix.file("bin/manual/index.html"));
  std::filesystem::create_directories(prefix.path() / "share/rezu-vode/manual");
  writeBytes(installed, {'x'});
  EXPECT_EQ(findManual(bin), installed);
}

// The tests run from the build folder, where the program finds the source
// tree's manual; everything the page loads is a file beside it.
TEST(Manual, TheBuildFoldersManualExistsAndLoadsNothingFromOutside) {
  const std::filesystem::path page = findManual(QCoreApplication::applicationDirPath());
  ASSERT_TRUE(std::filesystem::is_regular_file(page)) << page;
  std::ifstream in(page);
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::regex link(R"((src|href)="([^"#]*)[^"]*")");
  int local = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
    const std::string kind = (*it)[1], target = (*it)[2];
    if (target.empty()) continue;  // a link inside the page
    const bool remote = target.find("://") != std::string::npos || target.rfind("//", 0) == 0;
    if (remote) {
      EXPECT_EQ(kind, "href") << "the page fetches " << target;
      continue;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(page.parent_path() / target)) << target;
    ++local;
  }
  EXPECT_GE(local, 6);  // the style sheet and the pictures
}
