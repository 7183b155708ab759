// Cursor read-outs: the text the status bar's cursor half shows for a mouse
// position over a pane. Pure functions of the document and the display state;
// positions are logical pane pixels (PaneGeometry::pixelAt of the mouse
// position; a position on a marker frame is first moved into the pane by the
// frame's offset).
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

#include "document/Document.h"
#include "viewer/DisplayState.h"

namespace vode {

struct Readout {
  // The new cursor status; empty means the status keeps its text.
  std::optional<QString> status;
  // A plain message to show (after the mouse event), or empty.
  QString message;
};

inline constexpr const char* NoFftDataMessage = "spectrum_move: NO FFTDATA";

// While playback runs the large pane, the flow pane and the waveform pane
// leave the status alone; the spectrum pane and the tag strip still read.
// The large pane in each view; memory is what display_psd drew into it.
Readout SonoBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                       const PsdMemory& memory);
Readout FlowBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos);
Readout TimeBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos);
Readout FreqBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                       const PsdMemory& memory);
// The tag strip: phase word and one flag word, or "N/A".
Readout TagBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos);

// The shared routines behind them.
Readout waveform_move(const Document& doc, const DisplayState& state, QSize pane, QPoint pos);
Readout spectrum_move(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                      const PsdMemory& memory);

}  // namespace vode
