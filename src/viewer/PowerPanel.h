// The power-versus-flow panel of power display: the band, threshold and bin
// controls, the chart of band power against flow (sets A and B) and the
// summary text over it, and "Copy Power to Flow". The panel makes its own
// controls in the window's client area and sees the window's model only
// through PowerPanelModel: what it reads and what it changes.
#pragma once

#include <QObject>
#include <functional>

#include "analysis/PanelSettings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QWidget;

namespace vode {

class Document;
class FlowChart;
class Prompter;

// SpinType's entries.
enum class ChartType { Normal = 0, Summary = 1, FlowDb = 2, FlowBinDb = 3, FlowBinDb2Sd = 4 };

class PowerPanelModel {
 public:
  virtual ~PowerPanelModel() = default;
  // What the panel reads: the document, the current channel, whether the
  // flow pane shows band power, and where messages and questions go.
  virtual const Document& document() const = 0;
  virtual int channel() const = 0;
  virtual bool powerDisplay() const = 0;
  virtual Prompter& prompter() = 0;
  // What it changes: the band, threshold, rectification and bin width (the
  // band power of every channel follows), and the breath signal.
  virtual void setPanelSettings(const PanelSettings& settings) = 0;
  virtual void copyPowerToFlow(int channel) = 0;
};

class PowerPanel : public QObject {
  Q_OBJECT

 public:
  // Lays the panel's controls out in client, hidden until power display.
  PowerPanel(PowerPanelModel& model, QWidget* client);

  // The chart and the summary, which lie over the large pane: made after the
  // window's other controls, so they stack above them.
  void createChart(QWidget* client);

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

  // Shows the panel, the chart and the summary as the display and the chart
  // type say.
  void applyVisibility();
  // The window's zoom buttons act on the chart while it shows: true then.
  bool zoomChart(bool in);
  // Sets the band as two spin-box changes would (the first one guarded).
  void setBand(int minHz, int maxHz);

  ChartType chartType() const;
  // Chooses a chart type as the drop-down would.
  void setChartType(ChartType type);
  FlowChart& chart() { return *Chart; }
  QFrame* frame() const { return AvgPanel; }
  QPlainTextEdit* summary() const { return Memo; }

  // Report and Log: report(false) for Report, report(true) for Log. Report
  // is enabled from now; Log once setLogEnabled says a report was written.
  void connectReports(std::function<void(bool log)> report);
  void setLogEnabled(bool on);
  void setLogCount(const QString& text);

 private:
  void createControls(QWidget* client);
  void showDoubleClick(const QString& seriesTitle, int index, QPoint mouse);
  bool chartShown() const;
  PanelSettings settings() const;

  PowerPanelModel& model_;
  // Set while a handler writes SpinMin itself, so its change is not a new band.
  bool guard_ = false;

  QFrame* AvgPanel = nullptr;
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
  QPushButton* ReportButton = nullptr;
  QLabel* LogCount = nullptr;
  QPushButton* LogButton = nullptr;
  FlowChart* Chart = nullptr;
  QPlainTextEdit* Memo = nullptr;
};

}  // namespace vode
