// The window's size: View/"Zoom window", its keys, and the size kept in the
// configuration folder between runs (window.ini, beside MERO.SET but not in
// it: the size belongs to this desktop, not to the recordings' settings).
#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "formats/WindowSizeFile.h"
#include "viewer/MainForm.h"
#include "viewer/WindowScale.h"

namespace vode {

namespace {

constexpr qreal ZoomSteps[] = {1.0, 1.5, 2.0};
const char* const ZoomNames[] = {"Zoom1001", "Zoom1501", "Zoom2001"};
constexpr qreal SameZoom = 0.01;  // a window a pixel off a step still shows that step

}  // namespace

void TMainForm::createViewMenu() {
  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("ViewMenu");
  QMenu* zoomMenu = view->addMenu("Zoom window");
  zoomMenu->setObjectName("ZoomWindowMenu");
  actions_.insert("ZoomWindow1", zoomMenu->menuAction());
  for (int i = 0; i < 3; ++i) {
    const qreal s = ZoomSteps[i];
    QAction* entry = addAction(zoomMenu, ZoomNames[i], QString("%1 %").arg(qRound(s * 100)),
                               s == 1.0 ? QKeySequence(Qt::CTRL | Qt::Key_0) : QKeySequence());
    entry->setCheckable(true);
    connect(entry, &QAction::triggered, this, [this, s] { zoomWindow(s); });
  }
  zoomMenu->addSeparator();
  QAction* in = addAction(zoomMenu, "ZoomIn1", "Zoom &In");
  // Ctrl+= as well: "+" needs Shift on many keyboards.
  in->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  connect(in, &QAction::triggered, this, [this] {
    for (qreal s : ZoomSteps)
      if (s > zoom() + SameZoom) return zoomWindow(s);
  });
  QAction* out = addAction(zoomMenu, "ZoomOut1", "Zoom &Out", QKeySequence(Qt::CTRL | Qt::Key_Minus));
  connect(out, &QAction::triggered, this, [this] {
    for (auto it = std::rbegin(ZoomSteps); it != std::rend(ZoomSteps); ++it)
      if (*it < zoom() - SameZoom) return zoomWindow(*it);
  });
}

qreal TMainForm::zoom() const { return scale_ ? scale_->scale() : 1.0; }

void TMainForm::updateZoomEntries() {
  for (int i = 0; i < 3; ++i)
    if (QAction* entry = action(ZoomNames[i])) entry->setChecked(std::abs(zoom() - ZoomSteps[i]) < SameZoom);
}

void TMainForm::zoomWindow(qreal s) {
  // A maximised window has no size of its own to change.
  if (isMaximized() || isFullScreen()) showNormal();
  const QSize around = size() - client_->size();  // the menu bar
  resize(around + scale_->areaSize(std::max<qreal>(1.0, s)));
  layOutNow();
}

void TMainForm::layOutNow() {
  // A hidden window gets its resize events only when shown; tests and
  // screenshots want the new layout at once.
  layout()->invalidate();
  layout()->activate();
  scale_->adopt();
}

void TMainForm::restoreWindowSize() {
  connect(scale_, &WindowScale::scaleChanged, this, [this] { updateZoomEntries(); });
  updateZoomEntries();
  if (!options_.keepWindowSize || options_.configDir.empty()) return;
  const KeptWindowSize saved = loadWindowSize(options_.configDir);
  if (saved.hasSize()) {
    const QSize around = size() - client_->size();
    // Within the screen the window opens on (its frame included), so a damaged
    // or foreign file cannot ask for a window that exhausts memory; without a
    // screen the file's own limit holds. Never below the natural size, which
    // the desktop keeps even on a smaller screen.
    QSize kept(saved.width, saved.height);
    if (const QScreen* shown = screen())
      kept = kept.boundedTo(shown->availableGeometry().size() - around - (frameGeometry().size() - size()));
    resize(around + kept.expandedTo(scale_->naturalSize()));
    layOutNow();
  }
  if (saved.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::keepWindowSize() {
  if (!options_.keepWindowSize || options_.configDir.empty()) return;
  KeptWindowSize kept = loadWindowSize(options_.configDir);
  kept.maximized = isMaximized() || isFullScreen();
  // A maximised window keeps the size it returns to.
  if (!kept.maximized) {
    kept.width = client_->width();
    kept.height = client_->height();
  }
  // Losing the size is not worth a message when the window closes.
  saveWindowSize(options_.configDir, kept);
}

}  // namespace vode
