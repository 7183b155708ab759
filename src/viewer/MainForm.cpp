#include "viewer/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

#include "formats/PaletteFile.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"

namespace vode {

namespace {

// Worker-side progress: every call is carried out on the window's thread.
class ThreadProgress : public ProgressSink {
 public:
  explicit ThreadProgress(TMainForm* form) : form_(form) {}
  void begin(const std::string& text, int steps) override {
    const QString message = QString::fromStdString(text);
    post([=, this] { form_->BeginProgress(message, steps); });
  }
  void setMaximum(int steps) override {
    post([=, this] { form_->progress().setMaximum(steps); });
  }
  void set(int position) override {
    post([=, this] { form_->progress().set(position); });
  }
  void end() override {
    post([this] { form_->EndProgress(); });
  }

 private:
  template <typename F>
  void post(F&& f) {
    QMetaObject::invokeMethod(form_, std::forward<F>(f), Qt::QueuedConnection);
  }
  TMainForm* form_;
};

// Worker-side prompter: the worker waits until the box on the window's thread
// has been answered.
class ThreadPrompter : public Prompter {
 public:
  ThreadPrompter(TMainForm* form, Prompter& inner) : form_(form), inner_(inner) {}
  void message(MessageKind kind, const std::string& text) override {
    QMetaObject::invokeMethod(form_, [&] { inner_.message(kind, text); }, Qt::BlockingQueuedConnection);
  }
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override {
    Answer answer = defaultAnswer;
    QMetaObject::invokeMethod(
        form_, [&] { answer = inner_.ask(text, buttons, defaultAnswer); }, Qt::BlockingQueuedConnection);
    return answer;
  }

 private:
  TMainForm* form_;
  Prompter& inner_;
};

bool fileExists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

}  // namespace

// The progress display as a sink for core calls made on the window's thread.
class TMainForm::FormProgress : public ProgressSink {
 public:
  FormProgress(TMainForm& form, QProgressBar*& gauge) : form_(form), gauge_(gauge) {}
  void begin(const std::string& text, int steps) override {
    form_.BeginProgress(QString::fromStdString(text), steps);
  }
  void setMaximum(int steps) override { gauge_->setMaximum(std::max(steps, 0)); }
  void set(int position) override { gauge_->setValue(std::clamp(position, 0, gauge_->maximum())); }
  void end() override { form_.EndProgress(); }

 private:
  TMainForm& form_;
  QProgressBar*& gauge_;
};

TMainForm::TMainForm(GuiPrompter& prompter, const WindowOptions& options, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), options_(options) {
  setObjectName("MainForm");
  progress_ = std::make_unique<FormProgress>(*this, StatusGauge);
  clock_ = std::make_unique<SteadyClock>();
  audio_ = std::make_unique<SilentAudioOutput>(*clock_);
  DATimer = new QTimer(this);
  DATimer->setObjectName("DATimer");
  DATimer->setInterval(20);
  DATimer->setTimerType(Qt::PreciseTimer);
  createControls();
  createMenus();
  connectControls();
  powerPanel_ = new PowerPanel(*this);
  createPaneViews();
  setWindowTitle("R.E.Z.U. Vode");

  prompter_.showStartUpBox();

  buildPalettes();
  tempBaseName_ = options_.tempDir + "Merotmp";
  helpFile_ = options_.manualFile;

  workBuffer_.assign(SegmentSamples, 0);
  state_.ViewMode = SonogramView;

  // The natural size is the smallest; larger windows scale the client area.
  resize(minimumSizeHint());
  restoreWindowSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() {
  stopPlayback(false);
  doc_.reset();
  // The temporary playback files of this run.
  std::remove((tempBaseName_ + "0.wav").c_str());
  std::remove((tempBaseName_ + "1.wav").c_str());
}

void TMainForm::buildPalettes() {
  greyPalette_ = Palette::grey();
  doc_.state.programDir = options_.configDir;
  std::string palFile = doc_.state.programDir + "pal.dat";
  if (!fileExists(palFile) && !options_.executableDir.empty()) palFile = options_.executableDir + "pal.dat";
  colourPalette_ = fileExists(palFile) ? loadPalette(palFile) : greyPalette_;
  windowPalette_ = makeWindowPalette(colourPalette_);
}

ProgressSink& TMainForm::progress() { return *progress_; }

void TMainForm::BeginProgress(const QString& message, int steps) {
  savedStatus_.push_back(SegmentStatus->text().left(40));
  SegmentStatus->setText(message);
  SegmentStatus->repaint();
  StatusGauge->setRange(0, std::max(steps, 0));
  StatusGauge->setValue(0);
  StatusGauge->show();
  setEnabled(false);
  state_.WindowEnabled = false;
}

void TMainForm::EndProgress() {
  StatusGauge->setValue(StatusGauge->maximum());
  StatusGauge->hide();
  if (!savedStatus_.isEmpty()) SegmentStatus->setText(savedStatus_.takeLast());
  // A worker's job keeps the window disabled until it has ended as a whole.
  if (!busy_ && savedStatus_.isEmpty()) {
    setEnabled(true);
    state_.WindowEnabled = true;
    // A menu follows its widget's enabled state, so re-enabling the window
    // turned Analyze and Report back on whatever the document holds.
    UpdateMenus();
  }
}

void TMainForm::freezePanes() {
  for (PaneWidget* pane : {FlowBox, SonoBox, TagBox, TimeBox, FreqBox, DBBox}) pane->freeze();
}

void TMainForm::thawPanes() {
  for (PaneWidget* pane : {FlowBox, SonoBox, TagBox, TimeBox, FreqBox, DBBox}) pane->thaw();
}

void TMainForm::runInBackground(const std::function<void(ProgressSink&, Prompter&)>& job) {
  // One worker at a time: the window is disabled while it runs, so a second
  // job can only come from a programming error.
  if (busy_) return;
  // The work may change or drop the samples being heard.
  stopPlayback(false);
  EraseCursorLine();
  freezePanes();
  busy_ = true;
  setEnabled(false);
  state_.WindowEnabled = false;

  ThreadProgress workerProgress(this);
  ThreadPrompter workerPrompter(this, prompter_);
  std::exception_ptr failure;
  QEventLoop loop;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        job(workerProgress, workerPrompter);
      } catch (...) {
        failure = std::current_exception();
      }
      // Queued behind the worker's last progress calls, so they all run first.
      QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    // The system has no thread to spare: the job runs here, with the window's
    // own gauge and boxes, and the window stays still until it ends.
    try {
      job(progress(), prompter_);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (worker.joinable()) {
    loop.exec();
    worker.join();
  }

  busy_ = false;
  while (!savedStatus_.isEmpty()) EndProgress();
  StatusGauge->hide();
  setEnabled(true);
  state_.WindowEnabled = true;
  thawPanes();

  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
      prompter_.message(MessageKind::Error, "Not enough memory");
    } catch (const std::exception& e) {
      prompter_.message(MessageKind::Error, e.what());
    } catch (...) {
      prompter_.message(MessageKind::Error, "Unknown");
    }
  }
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (busy_ || (closeQuery && !closeQuery())) {
    event->ignore();
    return;
  }
  stopPlayback(false);
  keepWindowSize();
  if (onClose) onClose();
  event->accept();
}

QWidget* TMainForm::control(const QString& name) const { return findChild<QWidget*>(name); }

QString TMainForm::labelText(const QString& name) const {
  if (auto* label = findChild<QLabel*>(name)) return label->text();
  return {};
}

QString TMainForm::segmentStatus() const { return SegmentStatus->text(); }
QString TMainForm::cursorStatus() const { return CursorStatus->text(); }
void TMainForm::setCursorStatus(const QString& text) { CursorStatus->setText(text); }

}  // namespace vode
