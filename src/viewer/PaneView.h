// One object per paint pane of the main window. Each paints its pane from the
// document and the display state and reads the value under the mouse for the
// cursor status, both from the same model (workspace/Shown.h), so a read-out
// never depends on an earlier paint. Geometry comes from PaneGeometry; the widget that shows a pane
// (PaneWidget) only carries the picture and the mouse, and the same objects
// render into off-screen images for tests, captures and benchmarks.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

#include "document/Document.h"
#include "workspace/DisplayState.h"
#include "viewer/PaneGeometry.h"
#include "viewer/WindowPalette.h"

namespace vode {

// Everything a pane reads. The panes never change the document or the state.
struct PaneContext {
  const Document& doc;
  const DisplayState& state;
  const WindowPalette& palette;
};

// What a paint leaves for the window to do: panes never open boxes or touch
// labels themselves.
struct PaintOutcome {
  // The analysis exists without power data: show PowerNilMessage (plain box,
  // after the paint has finished).
  bool powerNil = false;
  // The expanded waveform was drawn; its edge times go into LeftTimeLabel and
  // RightTimeLabel.
  bool waveformDrawn = false;
  QString leftTimeLabel;
  QString rightTimeLabel;
};

inline constexpr const char* PowerNilMessage = "display_psd: Power = NIL?";

// A cursor read-out. Positions are logical pane pixels (PaneGeometry::pixelAt
// of the mouse position; a position on a marker frame is first moved into the
// pane by the frame's offset).
struct Readout {
  // The new cursor status; empty means the status keeps its text.
  std::optional<QString> status;
  // A plain message to show (after the mouse event), or empty.
  QString message;

  static Readout unchanged() { return {}; }
  static Readout text(QString status) { return Readout{std::move(status), {}}; }
  static Readout notAvailable() { return text(QStringLiteral("N/A")); }
};

// printf-style text in the C locale: read-outs and labels show "." decimals.
QString cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));

class PaneView {
 public:
  PaneView(Pane kind, const PaneContext& context) : kind_(kind), ctx_(context) {}
  virtual ~PaneView() = default;
  PaneView(const PaneView&) = delete;
  PaneView& operator=(const PaneView&) = delete;

  Pane kind() const { return kind_; }

  // Fills the invalid part of the pane (logical size `pane`) from scratch,
  // starting with its background.
  virtual PaintOutcome paint(QPainter& p, QSize pane, QRect invalid) = 0;
  // The cursor status for the mouse at pos. While playback runs the large
  // pane, the flow pane and the waveform pane leave the status alone.
  virtual Readout readout(QSize pane, QPoint pos) const;

  // The whole pane in an image of its logical size at a device pixel ratio.
  QImage render(qreal devicePixelRatio = 1.0, PaintOutcome* outcome = nullptr);

 protected:
  const Document& doc() const { return ctx_.doc; }
  const DisplayState& state() const { return ctx_.state; }
  const WindowPalette& palette() const { return ctx_.palette; }
  const PaneContext& context() const { return ctx_; }

 private:
  Pane kind_;
  PaneContext ctx_;
};

}  // namespace vode
