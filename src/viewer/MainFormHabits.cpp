// Keys and the wheel as desktop programs use them: the arrow keys on the
// scroll bar, Space to play and stop, and the wheel over the time-aligned
// panes (pages through time; with Ctrl or Shift the X or Y zoom buttons).
#include <QAbstractButton>
#include <QAction>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QWheelEvent>
#include <algorithm>

#include "formats/PlaybackOptionFile.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

namespace {

// One notch of an ordinary mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;

// Controls where Space means what it always means: press, tick, type.
bool takesSpaceItself(const QWidget* w) {
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
         qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QMenuBar*>(w);
}

}  // namespace

void TMainForm::installHabits() {
  // Space is looked at before the control with the focus gets it; the
  // filter is dropped with the window.
  qApp->installEventFilter(this);
  // Queued: the note comes after the repaints and read-outs of the change.
  connect(workspace_, &Workspace::statusNote, this, [this](const QString& text) { CursorStatus->setText(text); },
          Qt::QueuedConnection);
  if (options_.keepWindowSize && !options_.configDir.empty()) {
    playAfterOpening_ = loadPlayAfterOpening(options_.configDir);
    action("PlayAfterOpening1")->setChecked(playAfterOpening_);
  }
}

void TMainForm::setPlayAfterOpening(bool on) {
  playAfterOpening_ = on;
  if (QAction* entry = action("PlayAfterOpening1"); entry->isChecked() != on) entry->setChecked(on);
  // A choice that cannot be kept still holds for this run.
  if (options_.keepWindowSize && !options_.configDir.empty()) savePlayAfterOpening(options_.configDir, on);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::Wheel) return QMainWindow::eventFilter(watched, event);
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
  if (type == QEvent::Wheel) return wheelOverPanes(static_cast<QWidget*>(watched), static_cast<QWheelEvent*>(event));
  const auto* key = static_cast<QKeyEvent*>(event);
  if (watched == ScrollBar && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) &&
      key->modifiers() == Qt::NoModifier) {
    // A horizontal scroll bar is built with its controls inverted for the
    // wheel, which turns Left and Right round: forward is Right.
    ScrollBar->triggerAction(key->key() == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                                         : QAbstractSlider::SliderSingleStepSub);
    return true;
  }
  if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) return spaceKey(watched, key);
  return false;
}

bool TMainForm::spaceKey(QObject* watched, const QKeyEvent* key) {
  QWidget* focus = QApplication::focusWidget();
  // The key goes first to the control with the focus, then to its parents.
  if (watched != (focus ? static_cast<QObject*>(focus) : this) || (focus && takesSpaceItself(focus))) return false;
  if (key->isAutoRepeat()) return true;
  if (state_.Playing)
    StopBitBtnClick();
  else if (PlayBitBtn->isEnabled())
    PlayBitBtnClick();
  return true;
}

bool TMainForm::wheelOverPanes(QWidget* watched, QWheelEvent* wheel) {
  const bool timeAligned = watched == FlowBox || watched == SonoBox || watched == TagBox ||
                           watched == FlowShape || watched == SonoShape || watched == TagShape;
  if (!timeAligned) return false;
  const QPoint delta = wheel->angleDelta();
  // Fine-grained wheels and touch pads send parts of a notch.
  wheelRest_ += delta.y() != 0 ? delta.y() : delta.x();
  const int notches = wheelRest_ / WheelNotch;
  wheelRest_ -= notches * WheelNotch;
  if (notches == 0 || busy()) return true;
  const Qt::KeyboardModifiers held = wheel->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
  // Away from the user is up: "+" on the zoom buttons, earlier in time.
  QPushButton* button = nullptr;
  if (held == Qt::ControlModifier) button = notches > 0 ? ZoomInX : ZoomOutX;
  if (held == Qt::ShiftModifier) button = notches > 0 ? ZoomInY : ZoomOutY;
  if (button) {
    for (int i = 0; i < std::abs(notches); ++i) button->click();
  } else if (held == Qt::NoModifier) {
    const int tenth = std::max(1, state_.segmentsPerScreen() / 10);
    ScrollBar->setValue(ScrollBar->value() - notches * tenth);
  }
  return true;
}

}  // namespace vode
