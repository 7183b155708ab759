// The chart of sound power against airflow: six series in two sets. Set A
// (red) follows the panel's settings; set B (blue) is a frozen copy kept for
// comparison. Each set has its points and two dotted lines.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>

class QChart;
class QValueAxis;
class QXYSeries;

namespace vode {

class FlowChart : public QChartView {
  Q_OBJECT

 public:
  // Series1 (A points), Series2/3 (A lines), Series4 (B points), Series5/6 (B lines).
  static constexpr int SeriesCount = 6;

  explicit FlowChart(QWidget* parent = nullptr);

  void setPoints(int series, const QList<QPointF>& points);
  void clearSeries(int series) { setPoints(series, {}); }
  QList<QPointF> points(int series) const;
  int pointCount(int series) const;
  void setSeriesShown(int series, bool shown);
  bool seriesShown(int series) const;

  void setTitle(const QString& title);
  QString title() const;
  QString axisTitle(Qt::Orientation orientation) const;

  // Fits both axes around the points of the shown series.
  void fitAxes();
  // Zooms both axes about their centres: factor 0.5 halves the ranges, 2 doubles them.
  void zoomAxes(double factor);
  // min, max of an axis.
  QPointF axisRange(Qt::Orientation orientation) const;

 signals:
  // A double-click on a point of set A: the series' title, the point's index
  // and the mouse position in the chart.
  void pointDoubleClicked(const QString& seriesTitle, int index, QPoint mouse);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QChart* chart_ = nullptr;
  QValueAxis* axisX_ = nullptr;
  QValueAxis* axisY_ = nullptr;
  std::array<QXYSeries*, SeriesCount> series_{};
  QPoint lastDoubleClick_;
};

}  // namespace vode
