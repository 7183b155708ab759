#include "app/CaptureCommands.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/FileErrors.h"
#include "formats/FileNames.h"
#include "formats/Wav.h"
#include "viewer/ArrowStrip.h"
#include "viewer/FlowChart.h"
#include "viewer/MainForm.h"
#include "viewer/PaneGeometry.h"
#include "viewer/PaneView.h"
#include "viewer/PaneWidget.h"
#include "viewer/WindowScale.h"

namespace vode {

namespace {

// The educational picture reaches from the window's left edge to just short
// of the small panes, and down to the time axis under the large pane.
constexpr QSize EducationalSize(488, 335);
// "Make BMPs": the flow and large panes with their labels, up to the tag strip.
constexpr QSize SegmentPictureSize(442, 334);
constexpr int CaptureDbBarLeft = 442;  // against the large pane's right edge

// The scale the window shows its client area at (1 at natural size).
double windowScale(const QWidget* client) { return WindowScale::scaleOf(client); }

QSize scaled(QSize natural, double scale) {
  return QSize(static_cast<int>(std::lround(natural.width() * scale)),
               static_cast<int>(std::lround(natural.height() * scale)));
}

// The top-left part of the client area as the window paints it, rendered
// off-screen: it needs no visible window and has one pixel per logical pixel
// whatever the screen's ratio.
QImage renderClientArea(TMainForm& form, QSize natural) {
  QWidget* client = form.centralWidget();
  const QSize size = scaled(natural, windowScale(client));
  QImage image(size, QImage::Format_RGB32);
  image.fill(client->palette().color(QPalette::Window));
  // A picture keeps the natural proportions, however wide the window is.
  WindowScale& layout = form.windowScale();
  const bool stretched = layout.stretched();
  layout.setStretched(false);
  client->render(&image, QPoint(), QRegion(QRect(QPoint(), size)));
  layout.setStretched(stretched);
  return image;
}

std::string inCurrentFolder(const QString& name) { return QDir::current().filePath(name).toStdString(); }

// Changes the window for the educational picture and puts every control
// back as it found it when it goes out of scope, so a failed write (or any
// early return) still leaves the window as the user had it.
class CaptureLayout {
 public:
  explicit CaptureLayout(TMainForm& form) : form_(form), c_(form.pictureControls()) {}
  ~CaptureLayout() {
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it)
      if (it->label) it->label->setText(it->text);
    for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
      if (!it->widget) continue;
      form_.windowScale().setNaturalGeometry(it->widget, it->geometry);
      it->widget->setVisible(!it->hidden);
    }
    for (const auto& [pane, x] : playLines_)
      if (pane) pane->showPlayLine(x);
  }

  const PictureControls& controls() const { return c_; }

  void hide(QWidget* w) {
    keep(w);
    w->hide();
  }
  void show(QWidget* w) {
    keep(w);
    w->show();
    w->raise();
  }
  // x at the window's natural size.
  void moveTo(QWidget* w, int x) {
    keep(w);
    QRect g = form_.windowScale().naturalGeometry(w);
    g.moveLeft(x);
    form_.windowScale().setNaturalGeometry(w, g);
  }
  void setText(QLabel* label, const QString& text) {
    labels_.push_back({label, label->text()});
    label->setText(text);
  }
  void hidePlayLine(PaneWidget* pane) {
    if (pane->playLine() < 0) return;
    playLines_.push_back({pane, pane->playLine()});
    pane->showPlayLine(-1);
  }

 private:
  void keep(QWidget* w) {
    if (std::none_of(widgets_.begin(), widgets_.end(), [w](const Kept& k) { return k.widget == w; }))
      widgets_.push_back({w, w->isHidden(), form_.windowScale().naturalGeometry(w)});
  }

  struct Kept {
    QPointer<QWidget> widget;
    bool hidden;
    QRect geometry;  // natural
  };
  struct Text {
    QPointer<QLabel> label;
    QString text;
  };
  TMainForm& form_;
  PictureControls c_;
  std::vector<Kept> widgets_;
  std::vector<Text> labels_;
  std::vector<std::pair<QPointer<PaneWidget>, int>> playLines_;
};

}  // namespace

std::optional<CaptureSegments> educationalRange(const DisplayState& state, int32_t segmentCount) {
  if (segmentCount <= 0) return std::nullopt;
  switch (state.ViewMode) {
    case SpectrumView:
      return CaptureSegments{state.CurrentSegment, state.CurrentSegment};
    case WaveformView: {
      const WaveWindow w = waveWindow(state, segmentCount);
      const int32_t first = w.waveFirstSample / SegmentSamples;
      const int32_t last = first + w.waveMs / 100 - 1;
      if (last >= segmentCount) return std::nullopt;
      return CaptureSegments{first, last};
    }
    default: {
      const int32_t first = std::clamp(state.FirstSegment, 0, segmentCount - 1);
      return CaptureSegments{first, std::min(first + state.segmentsPerScreen() - 1, segmentCount - 1)};
    }
  }
}

std::string educationalName(const std::string& currentFileName, int channelCount, int channel) {
  std::string name = proposedSaveName(currentFileName);
  if (channelCount > 1) name += static_cast<char>('a' + std::clamp(channel, 0, MaxChannels - 1));
  return name;
}

QStringList educationalAxisLabels(const DisplayState& state, int32_t segmentCount) {
  // The edge times from the display state rather than the edge labels: those
  // are rounded to 0.1 s, which would put a 400 ms window's quarters at 125 ms.
  switch (state.ViewMode) {
    case WaveformView: {
      const WaveWindow w = waveWindow(state, segmentCount);
      const double q = (w.stopMs - w.startMs) / 4.0;
      return {"0", cformat("%0.0f", q), cformat("%0.0f", 2 * q), cformat("%0.0f", 3 * q), "msec"};
    }
    case SonogramView: {
      const double q = state.segmentsPerScreen() / 10.0 / 4;
      return {"0.0", cformat("%0.1f", q), cformat("%0.1f", 2 * q), cformat("%0.1f", 3 * q), "sec"};
    }
    default:
      return {"", "", "", "", ""};
  }
}

QString numberedPictureName(const QString& prefix, int number) {
  return prefix + QString::number(number).rightJustified(3, '0') + ".BMP";
}

CaptureCommands::CaptureCommands(TMainForm& form) : QObject(&form), form_(form) {
  auto on = [this](const char* name, std::function<void()> slot) {
    form_.workspace().commands().bind(name, std::move(slot));
  };
  on("CaptureScreen1", [this] { CaptureScreenClick(); });
  on("Capture1", [this] { Capture1Click(); });
  on("MakeBMPs1", [this] { MakeBMPsClick(); });
  on("MakeSineWav1", [this] { MakeSineWav1Click(); });
  on("Print1", [this] { Print1Click(); });
}

int CaptureCommands::writePicture(const QImage& image, const std::string& path, FileSystem& fs) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) return ErrFormat;
  return writeFileAtomically(fs, path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

int CaptureCommands::savePicture(const QImage& image, const std::string& path) {
  return writePicture(image, path, *fileSystem);
}

void CaptureCommands::reportFailure(const std::string& path, int code) {
  form_.prompter().message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(code));
}

void CaptureCommands::CaptureScreenClick() {
  // The counter starts again with every run, so a number whose file exists
  // (an earlier run's capture) is passed over rather than replaced.
  QString name;
  do name = numberedPictureName("MERO", ++captureCounter_);
  while (fileSystem->exists(inCurrentFolder(name)));
  const QImage image = form_.centralWidget()->grab().toImage();
  const std::string path = inCurrentFolder(name);
  if (const int code = savePicture(image, path); code != 0) {
    reportFailure(path, code);
    return;
  }
  form_.prompter().message(MessageKind::Information, "Captured screen to file: " + name.toStdString());
}

void CaptureCommands::Capture1Click() {
  Document& doc = form_.document();
  const DisplayState& state = form_.display();
  if (!doc.recording || doc.recording->segmentCount <= 0) return;
  const std::optional<CaptureSegments> range = educationalRange(state, doc.recording->segmentCount);
  if (!range) {
    form_.prompter().message(MessageKind::Warning, "Waveform must occupy the full width.\rPlease try again.");
    return;
  }

  std::string path = educationalName(doc.state.currentFileName, doc.recording->channelCount, state.CurrentChannel);
  int type = 1;
  if (!form_.prompter().chooseSaveFile({{"Educational BMP/WAV", "*.bmp"}}, path, type) || path.empty()) return;
  const std::string bmp = replaceExtension(path, ".bmp");
  const std::string wav = replaceExtension(path, ".wav");
  // Either file may be precious: the sound's name is often the open
  // recording's own.
  for (const std::string& file : {bmp, wav})
    if (!mayOverwrite(*fileSystem, form_.prompter(), file)) return;

  if (const int code = WriteBMP(bmp); code != 0) {
    reportFailure(bmp, code);
    return;
  }
  const int code = exportWavRange(*doc.recording, state.CurrentChannel, range->first, range->last, wav, *fileSystem);
  if (code != 0) reportFailure(wav, code);
}

QImage CaptureCommands::educationalImage() {
  const Document& doc = form_.document();
  const DisplayState& state = form_.display();
  CaptureLayout layout(form_);
  const PictureControls& c = layout.controls();

  form_.EraseCursorLine();
  layout.hidePlayLine(c.flowBox);
  layout.hidePlayLine(c.sonoBox);
  // In power display the band panel stands where the dB bar goes and the
  // chart or summary may cover the large pane: the picture is of the panes.
  for (QWidget* w : {c.tagPanel, c.tagShape, c.volumeButton, c.voltsLabel, c.voltsMaxLabel, c.voltsMinLabel,
                     c.scrollBar, c.leftTimeLabel, c.rightTimeLabel, c.powerPanel, c.chart, c.summary})
    layout.hide(w);
  const bool resp = doc.isResp();
  if (resp) {
    layout.hide(c.flowMaxLabel);
    layout.hide(c.flowMinLabel);
    layout.setText(c.flowUnitsLabel, "RC");
  }

  const QStringList axis = educationalAxisLabels(state, doc.recording ? doc.recording->segmentCount : 0);
  for (int i = 0; i < 5; ++i) layout.setText(c.axisLabels[i], axis[i]);
  if (state.ViewMode == SonogramView)
    for (QWidget* marker : {c.flowShape, c.sonoShape}) layout.hide(marker);
  if (state.ViewMode == WaveformView) layout.hide(c.dbArea);

  c.arrows->setResp(resp);
  layout.moveTo(c.eLabel, c.arrows->eLabelLeft());
  layout.show(c.arrowPanel);
  layout.show(c.axisPanel);
  layout.moveTo(c.dbArea, CaptureDbBarLeft);

  return renderClientArea(form_, EducationalSize);
}

int CaptureCommands::WriteBMP(const std::string& name) { return savePicture(educationalImage(), name); }

// "Make BMPs" as it goes: one picture rendered per turn of the event loop
// (widgets render on this thread only), each written on a worker; the first
// failure ends it, and so does closing the window.
struct CaptureCommands::PictureSeries {
  std::unique_ptr<CaptureLayout> layout;
  int32_t next = 0;
  int32_t last = 0;
  int writing = 0;       // files handed to a worker and not yet written
  bool stopped = false;  // a write failed, or the window closes
};

CaptureCommands::~CaptureCommands() {
  // Pictures being written report back to this object.
  QThreadPool::globalInstance()->waitForDone();
}

void CaptureCommands::MakeBMPsClick() {
  const Document& doc = form_.document();
  if (series_ || !doc.recording || doc.recording->segmentCount <= 0) return;
  const DisplayState& state = form_.display();
  series_ = std::make_unique<PictureSeries>();
  series_->next = state.FirstSegment;
  series_->last = std::min(state.FirstSegment + state.segmentsPerScreen() - 1, doc.recording->segmentCount - 1);
  // In power display the chart or summary may cover the large pane.
  series_->layout = std::make_unique<CaptureLayout>(form_);
  series_->layout->hide(series_->layout->controls().chart);
  series_->layout->hide(series_->layout->controls().summary);
  form_.workspace().beginWork();
  QTimer::singleShot(0, this, [this] { nextPicture(); });
}

void CaptureCommands::nextPicture() {
  PictureSeries& series = *series_;
  if (form_.workspace().cancelling()) series.stopped = true;
  if (series.stopped || series.next > series.last) {
    if (series.writing == 0) endPictures();
    return;
  }
  const int32_t s = series.next++;
  form_.set_current_segment(s);
  // A segment's picture keeps its number, so a second run replaces the first.
  const std::string path = inCurrentFolder(numberedPictureName("test", s));
  const QImage picture = renderClientArea(form_, SegmentPictureSize);
  ++series.writing;
  QThreadPool::globalInstance()->start([this, picture, path, fs = fileSystem] {
    const int code = writePicture(picture, path, *fs);
    QMetaObject::invokeMethod(this, [this, path, code] { pictureWritten(path, code); }, Qt::QueuedConnection);
  });
  QTimer::singleShot(0, this, [this] { nextPicture(); });
}

void CaptureCommands::pictureWritten(const std::string& path, int code) {
  PictureSeries& series = *series_;
  --series.writing;
  if (code != 0 && !series.stopped) {
    series.stopped = true;
    reportFailure(path, code);
  }
  if (series.writing == 0 && (series.stopped || series.next > series.last)) endPictures();
}

void CaptureCommands::endPictures() {
  series_.reset();
  form_.workspace().endWork();
}

void CaptureCommands::MakeSineWav1Click() {
  if (form_.closeQuery && !form_.closeQuery()) return;
  form_.workspace().replaceWithTestTones();
}

void CaptureCommands::Print1Click() {
  if (form_.prompter().choosePrinter())
    form_.prompter().message(MessageKind::Information, "Print screen is not available");
}

}  // namespace vode
