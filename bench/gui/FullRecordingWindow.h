// The window with the full recording open and analysed and its playback
// stopped: the starting point of the benchmarks that edit or re-plot it.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <sstream>
#include <string>

#include "FullRecording.h"
#include "app/Application.h"
#include "app/AutoPrompter.h"
#include "app/DocumentCommands.h"

namespace vode {

// The event loop until the workspace's job has ended, as the program's own
// loop would turn meanwhile: asleep until the job's next event.
inline void waitUntilIdle(const Workspace& ws) {
  while (ws.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

class FullRecordingWindow {
 public:
  // Empty when the window holds the analysed recording, otherwise what failed.
  std::string open() {
    const std::string folder = dir_.path().toStdString() + "/";
    const std::string path = folder + "full.mer";
    if (!writeFullRecording(path)) return "could not write the recording";
    WindowOptions options;
    options.configDir = options.tempDir = folder;
    application_ = std::make_unique<Application>(prompter_, options);
    form().show();
    application_->commands().firstShown({});
    application_->commands().openPath(path);
    waitUntilIdle(form().workspace());
    if (!form().document().averages) return "the open did not analyse";
    form().StopBitBtnClick();  // the open starts playback; presses wait for its end
    return {};
  }
  TMainForm& form() { return application_->form(); }

 private:
  QTemporaryDir dir_{QDir::tempPath() + "/vode-bench-XXXXXX"};
  std::ostringstream boxes_;
  AutoPrompter prompter_{boxes_};
  std::unique_ptr<Application> application_;
};

}  // namespace vode
