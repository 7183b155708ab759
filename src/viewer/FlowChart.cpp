#include "viewer/FlowChart.h"

#include "viewer/WindowScale.h"

#include <QChart>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vode {

namespace {

const QColor SetA(0xFF, 0x00, 0x00);
const QColor SetB(0x00, 0x00, 0xFF);
constexpr qreal MarkerSize = 3.0;

// The titles are drawn as rich text, where a run of spaces would shrink to one.
QString keepSpaces(const QString& text) {
  QString html = text.toHtmlEscaped();
  html.replace(' ', "&nbsp;");
  return html;
}

QScatterSeries* makePoints(const QString& name, QColor colour, bool filled) {
  auto* s = new QScatterSeries;
  s->setName(name);
  s->setMarkerShape(filled ? QScatterSeries::MarkerShapeCircle : QScatterSeries::MarkerShapeRectangle);
  s->setMarkerSize(MarkerSize);
  s->setPen(QPen(colour, 1));
  s->setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
  return s;
}

QLineSeries* makeLine(const QString& name, QColor colour) {
  auto* s = new QLineSeries;
  s->setName(name);
  s->setPen(QPen(colour, 1, Qt::DotLine));
  return s;
}

}  // namespace

FlowChart::FlowChart(QWidget* parent) : QChartView(parent) {
  setObjectName("Chart");
  setAccessibleName("Power versus flow chart");
  setRenderHint(QPainter::Antialiasing, false);
  chart_ = new QChart;
  chart_->legend()->hide();
  chart_->setBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundVisible(true);
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chart_->setBackgroundRoundness(0);
  QFont titleFont("Liberation Sans");
  titleFont.setPixelSize(12);
  titleFont.setBold(true);
  chart_->setTitleFont(titleFont);

  QFont axisFont("Liberation Sans");
  axisFont.setPixelSize(10);
  axisX_ = new QValueAxis;
  axisY_ = new QValueAxis;
  for (QValueAxis* axis : {axisX_, axisY_}) {
    axis->setTitleFont(axisFont);
    axis->setLabelsFont(axisFont);
    axis->setLabelFormat("%.1f");
  }
  const QString bottom = "Expiration" + QString(30, ' ') + "L/s" + QString(30, ' ') + "Inspiration";
  axisX_->setProperty("plainTitle", bottom);
  axisX_->setTitleText(keepSpaces(bottom));
  axisY_->setProperty("plainTitle", QString("dB"));
  axisY_->setTitleText("dB");
  axisY_->setLabelFormat("%.0f");
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);

  series_ = {makePoints("Series1", SetA, true), makeLine("Series2", SetA), makeLine("Series3", SetA),
             makePoints("Series4", SetB, false), makeLine("Series5", SetB), makeLine("Series6", SetB)};
  for (QXYSeries* s : series_) {
    chart_->addSeries(s);
    s->attachAxis(axisX_);
    s->attachAxis(axisY_);
  }
  connect(series_[0], &QXYSeries::doubleClicked, this, [this](const QPointF& point) {
    // The index of the point hit: the nearest one, as the series reports
    // the point's own value.
    const QList<QPointF> all = series_[0]->points();
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < all.size(); ++i) {
      const double d = std::hypot(all[i].x() - point.x(), all[i].y() - point.y());
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    if (best >= 0) emit pointDoubleClicked(series_[0]->name(), best, lastDoubleClick_);
  });
  setChart(chart_);
  fitAxes();
}

void FlowChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  // In a zoomed window the chart keeps its natural layout and is shown
  // enlarged, fonts, markers and lines alike, as the panes are.
  const qreal s = WindowScale::scaleOf(this);
  if (s != 1.0) {
    chart_->resize(QSizeF(viewport()->size()) / s);
    setSceneRect(chart_->geometry());
  }
  setTransform(QTransform::fromScale(s, s));
}

void FlowChart::mouseDoubleClickEvent(QMouseEvent* event) {
  lastDoubleClick_ = event->position().toPoint();
  QChartView::mouseDoubleClickEvent(event);
}

void FlowChart::setPoints(int series, const QList<QPointF>& points) { series_.at(series)->replace(points); }

QList<QPointF> FlowChart::points(int series) const { return series_.at(series)->points(); }

int FlowChart::pointCount(int series) const { return series_.at(series)->count(); }

void FlowChart::setSeriesShown(int series, bool shown) { series_.at(series)->setVisible(shown); }

bool FlowChart::seriesShown(int series) const { return series_.at(series)->isVisible(); }

void FlowChart::setTitle(const QString& title) { chart_->setTitle(title); }

QString FlowChart::title() const { return chart_->title(); }

QString FlowChart::axisTitle(Qt::Orientation orientation) const {
  return (orientation == Qt::Horizontal ? axisX_ : axisY_)->property("plainTitle").toString();
}

void FlowChart::fitAxes() {
  double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
  for (QXYSeries* s : series_) {
    if (!s->isVisible()) continue;
    for (const QPointF& p : s->points()) {
      x0 = std::min(x0, p.x());
      x1 = std::max(x1, p.x());
      y0 = std::min(y0, p.y());
      y1 = std::max(y1, p.y());
    }
  }
  if (!(x0 <= x1)) {
    // Nothing to show: a flow range either side of zero, a few dB.
    x0 = -1.0, x1 = 1.0, y0 = 0.0, y1 = 10.0;
  }
  // A single point or a flat line still needs a range around it.
  if (x1 - x0 < 1e-6) x0 -= 0.5, x1 += 0.5;
  if (y1 - y0 < 1e-6) y0 -= 1.0, y1 += 1.0;
  const double mx = (x1 - x0) * 0.05, my = (y1 - y0) * 0.05;
  axisX_->setRange(x0 - mx, x1 + mx);
  axisY_->setRange(y0 - my, y1 + my);
  // Round ticks: the ends move out to the next tidy value.
  axisX_->applyNiceNumbers();
  axisY_->applyNiceNumbers();
}

void FlowChart::zoomAxes(double factor) {
  for (QValueAxis* axis : {axisX_, axisY_}) {
    const double centre = (axis->min() + axis->max()) / 2.0;
    const double half = (axis->max() - axis->min()) / 2.0 * factor;
    axis->setRange(centre - half, centre + half);
  }
}

QPointF FlowChart::axisRange(Qt::Orientation orientation) const {
  const QValueAxis* axis = orientation == Qt::Horizontal ? axisX_ : axisY_;
  return {axis->min(), axis->max()};
}

}  // namespace vode
