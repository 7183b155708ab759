// The power-versus-flow panel of power display: the band, threshold and bin
// controls on AvgPanel, the chart of band power against flow (sets A and B)
// and the summary text over it, and "Copy Power to Flow". The controls live
// in the main window's client area; this object brings them to life and keeps
// the document's panel settings in step with them.
#pragma once

#include <QObject>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;

namespace vode {

class FlowChart;
class TMainForm;

// SpinType's entries.
enum class ChartType { Normal = 0, Summary = 1, FlowDb = 2, FlowBinDb = 3, FlowBinDb2Sd = 4 };

class PowerPanel : public QObject {
  Q_OBJECT

 public:
  explicit PowerPanel(TMainForm& form);

  // A new band (or threshold, or rectification) from the spin boxes: the band
  // power of every channel again, the power trace and the chart.
  void SpinMinChange();
  // The scroll bar moves the band and keeps its width.
  void SpinBarChange();
  // One octave from the chosen value.
  void SpinOctaveChange();
  void SpinTypeChange();
  void SpinFlowChange();
  void SpinModeChange();
  // Freezes set A as set B.
  void SetBaseClick();
  // Set A again from the current channel's results (set B stays as it is).
  void UpdateChart();
  // Edit/"Copy Power to Flow", after its question.
  void CopyPowerClick();

  // Shows the chart and the summary as the display and the chart type say.
  void applyVisibility();
  // The window's zoom buttons act on the chart while it shows: true then.
  bool zoomChart(bool in);
  // Sets the band as two spin-box changes would (the first one guarded).
  void setBand(int minHz, int maxHz);

  ChartType chartType() const;
  // Chooses a chart type as the drop-down would.
  void setChartType(ChartType type);
  FlowChart& chart() { return *Chart; }

 private:
  void showDoubleClick(const QString& seriesTitle, int index, QPoint mouse);
  bool chartShown() const;

  TMainForm& form_;
  // Set while a handler writes SpinMin itself, so its change is not a new band.
  bool guard_ = false;

  QComboBox* SpinType = nullptr;
  QSpinBox* SpinMin = nullptr;
  QSpinBox* SpinMax = nullptr;
  QScrollBar* SpinBar = nullptr;
  QComboBox* SpinOctave = nullptr;
  QSpinBox* SpinFlow = nullptr;
  QCheckBox* RectifydB = nullptr;
  QSpinBox* SpindB = nullptr;
  QPushButton* SetBase = nullptr;
  QComboBox* SpinMode = nullptr;
  QLabel* BaseFile = nullptr;
  QLabel* BaseSettings = nullptr;
  FlowChart* Chart = nullptr;
  QPlainTextEdit* Memo = nullptr;
};

}  // namespace vode
