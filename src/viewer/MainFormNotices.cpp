// What the status bar says about the file just opened, and files dropped
// onto the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "viewer/MainForm.h"

namespace vode {

namespace {

// Each notice but the last shows this long before the next takes its place.
constexpr int NoticeMs = 4000;

// The one local file a drag carries, or empty.
QString droppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void TMainForm::showStatusNotices(const QStringList& notices) {
  if (!noticeTimer_) {
    noticeTimer_ = new QTimer(this);
    noticeTimer_->setSingleShot(true);
    connect(noticeTimer_, &QTimer::timeout, this, &TMainForm::nextStatusNotice);
  }
  notices_ = notices;
  nextStatusNotice();
}

void TMainForm::nextStatusNotice() {
  if (notices_.isEmpty()) return;
  const QString text = notices_.takeFirst();
  StatusNotice->setText(text);
  // The boxes are narrow for a long word; the whole of it is one hover away.
  StatusNotice->setToolTip(text);
  StatusNotice->setAccessibleName(text);
  StatusNotice->show();
  StatusNotice->raise();
  if (!notices_.isEmpty()) noticeTimer_->start(NoticeMs);
}

void TMainForm::clearStatusNotices() {
  notices_.clear();
  if (noticeTimer_) noticeTimer_->stop();
  StatusNotice->hide();
}

QString TMainForm::statusNotice() const { return StatusNotice->isHidden() ? QString() : StatusNotice->text(); }

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!busy() && onFileDropped && !droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (busy() || !onFileDropped || path.isEmpty()) return;
  event->acceptProposedAction();
  // The open asks its questions in boxes: not inside the drag's own handling.
  QTimer::singleShot(0, this, [this, path = path.toStdString()] { onFileDropped(path); });
}

}  // namespace vode
