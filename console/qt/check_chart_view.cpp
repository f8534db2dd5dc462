#include "console/qt/check_chart_view.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace endcap {

namespace {

// Room above the largest error or tolerance, so that no point sits on the frame.
constexpr double kHeadroom = 1.25;
constexpr double kHalfPosition = 0.5;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The band's edge at +side or -side of each tolerance; around a named position it spans the
// position's width, so that a change of tolerance shows as a step between positions.
QLineSeries* BandEdge(const CheckChart& chart, double side, QAreaSeries* band) {
  // The area series does not take its edges over: they go with it as its children.
  auto* edge = new QLineSeries(band);
  for (const ChartPoint& p : chart.band) {
    if (chart.xLabels.empty()) {
      edge->append(p.x, side * p.y);
    } else {
      edge->append(p.x - kHalfPosition, side * p.y);
      edge->append(p.x + kHalfPosition, side * p.y);
    }
  }
  return edge;
}

QAbstractAxis* XAxis(const CheckChart& chart, double low, double high) {
  if (chart.xLabels.empty()) {
    auto* axis = new QValueAxis;
    const double margin = std::max(1.0, (high - low) * 0.05);
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();
    axis->setTitleText(Text(chart.xTitle));
    return axis;
  }
  auto* axis = new QCategoryAxis;
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  for (size_t i = 0; i < chart.xLabels.size(); ++i) axis->append(Text(chart.xLabels[i]), static_cast<double>(i));
  axis->setRange(-kHalfPosition, static_cast<double>(chart.xLabels.size()) - kHalfPosition);
  axis->setTitleText(Text(chart.xTitle));
  return axis;
}

}  // namespace

QChart* MakeCheckChart(const CheckChart& chart) {
  auto* view = new QChart;
  view->setTitle(Text(chart.title));
  view->legend()->setAlignment(Qt::AlignBottom);

  auto* band = new QAreaSeries;
  band->setUpperSeries(BandEdge(chart, 1.0, band));
  band->setLowerSeries(BandEdge(chart, -1.0, band));
  band->setName(QStringLiteral("Tolerance"));
  band->setOpacity(0.3);
  view->addSeries(band);

  double extent = 0.0;
  double low = 0.0;
  double high = 0.0;
  for (const ChartPoint& p : chart.band) {
    extent = std::max(extent, std::fabs(p.y));
    low = std::min(low, p.x);
    high = std::max(high, p.x);
  }
  std::vector<QXYSeries*> errors;
  for (const ChartSeries& s : chart.errors) {
    // Named positions have no order between them to draw a line along.
    QXYSeries* series = chart.xLabels.empty() ? static_cast<QXYSeries*>(new QLineSeries) : new QScatterSeries;
    series->setName(Text(s.name));
    series->setPointsVisible(true);
    for (const ChartPoint& p : s.points) {
      series->append(p.x, p.y);
      if (std::isfinite(p.y)) extent = std::max(extent, std::fabs(p.y));
    }
    view->addSeries(series);
    errors.push_back(series);
  }

  if (extent == 0.0) extent = 1.0;
  QAbstractAxis* x = XAxis(chart, low, high);
  auto* y = new QValueAxis;
  y->setTitleText(Text(chart.yTitle));
  y->setRange(-extent * kHeadroom, extent * kHeadroom);
  y->applyNiceNumbers();
  view->addAxis(x, Qt::AlignBottom);
  view->addAxis(y, Qt::AlignLeft);
  band->attachAxis(x);
  band->attachAxis(y);
  for (QXYSeries* series : errors) {
    series->attachAxis(x);
    series->attachAxis(y);
  }
  return view;
}

}  // namespace endcap
