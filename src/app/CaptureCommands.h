// Pictures of the window and the developer's test commands: Edit/"Capture
// Screen", Edit/"Captur&e BMP/WAV" (the educational picture with its sound),
// Analyze/"Make BMPs" and "MakeSineWav", and File/"&Print...".
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "formats/FileSystem.h"

class QImage;

namespace vode {

class TMainForm;
struct DisplayState;

// The segments an educational capture holds: what the large pane shows.
struct CaptureSegments {
  int32_t first = 0;
  int32_t last = 0;
};

// Spectrum view: the current segment; Sonogram view: the screen, cut at the
// end; Waveform view: the window's segments, none when it runs past the end.
std::optional<CaptureSegments> educationalRange(const DisplayState& state, int32_t segmentCount);

// The file name without folder, cut before its first "."; with more than one
// channel the channel's letter follows ("subj12b" for channel 2).
std::string educationalName(const std::string& currentFileName, int channelCount, int channel);

// The five time-axis texts under an educational picture of the large pane:
// "0.0", q, 2q, 3q, "sec" in Sonogram view and "0", then milliseconds and
// "msec" in Waveform view, q a quarter of the time shown; none for a spectrum.
QStringList educationalAxisLabels(const DisplayState& state, int32_t segmentCount);

// prefix + the number in at least three digits + ".BMP": "MERO001.BMP".
QString numberedPictureName(const QString& prefix, int number);

class CaptureCommands : public QObject {
  Q_OBJECT

 public:
  explicit CaptureCommands(TMainForm& form);
  ~CaptureCommands() override;

  // Where pictures and sounds are written; tests make writes fail.
  FileSystem* fileSystem = &FileSystem::real();

  void CaptureScreenClick();
  void Capture1Click();
  // The educational picture of the window into name (BMP): 0 or the error
  // code. The window looks as before afterwards, whatever happened.
  int WriteBMP(const std::string& name);
  // "test" + segment + ".BMP" for each segment of the screen, one picture per
  // turn of the event loop while the workspace is busy.
  void MakeBMPsClick();
  void MakeSineWav1Click();
  void Print1Click();

  // The educational picture as WriteBMP saves it.
  QImage educationalImage();

 private:
  struct PictureSeries;
  static int writePicture(const QImage& image, const std::string& path, FileSystem& fs);
  int savePicture(const QImage& image, const std::string& path);
  void reportFailure(const std::string& path, int code);
  void nextPicture();
  void pictureWritten(const std::string& path, int code);
  void endPictures();

  TMainForm& form_;
  int captureCounter_ = 0;  // the last "MERO" number of this run
  std::unique_ptr<PictureSeries> series_;
};

}  // namespace vode
