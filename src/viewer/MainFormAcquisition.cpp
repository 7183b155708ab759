// What the window needs for new recordings: the acquisition device chosen on
// the command line and the File/New entry that records from it.
#include <QAction>

#include "viewer/MainForm.h"

namespace vode {

void TMainForm::useAcquisitionDevice(std::unique_ptr<AcquisitionDevice> device) {
  acquisitionDevice_ = std::move(device);
  if (acquisitionDevice_) action("ZUZU1")->setVisible(true);
  if (acquisitionDevice_ && newRecordingCommand_) makeCommandAvailable("New1");
}

void TMainForm::setNewRecordingCommand(std::function<void()> command) {
  const bool first = !newRecordingCommand_;
  newRecordingCommand_ = std::move(command);
  if (first)
    connect(action("New1"), &QAction::triggered, this, [this] {
      if (!busy_ && newRecordingCommand_ && acquisitionDevice_) newRecordingCommand_();
    });
  if (acquisitionDevice_ && newRecordingCommand_) makeCommandAvailable("New1");
}

}  // namespace vode
