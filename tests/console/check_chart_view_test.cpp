// A check's chart in Qt Charts on the offscreen platform: the points sit where their values put
// them (read from the series and the chart's own mapping, not from pixels), the chart files,
// and the chart window beside the main window.

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QChartView>
#include <QLineSeries>
#include <fstream>
#include <sstream>

#include "console/chart_file.h"
#include "console/qt/check_chart_view.h"
#include "console/qt/main_window.h"
#include "tests/console/simulated_station.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

// Three positions, the last with a wider band; no roll reading at the middle one.
CheckChart KnownCheck() {
  CheckChart chart;
  chart.title = "Inclinometer check of 123456-007, 08/12/2026, AB";
  chart.xLabels = {"Level", "5.0/0", "45.0/0"};
  chart.band = {{0, 0.05}, {1, 0.05}, {2, 0.2}};
  chart.errors = {{"Pitch error", {{0, 0.01}, {1, -0.04}, {2, 0.15}}}, {"Roll error", {{0, -0.02}, {2, 0.0}}}};
  return chart;
}

TEST(CheckChartView, EachErrorIsAPointWhereItsValuesPutItWithinTheBand) {
  const CheckChart check = KnownCheck();
  QChartView view(MakeCheckChart(check));
  view.resize(800, 450);
  view.show();
  QCoreApplication::processEvents();
  QChart* chart = view.chart();
  EXPECT_EQ(chart->title().toStdString(), check.title);
  const QList<QAbstractSeries*> series = chart->series();
  ASSERT_EQ(series.size(), 3);
  auto* band = qobject_cast<QAreaSeries*>(series[0]);
  ASSERT_NE(band, nullptr);
  // A step of the band's width around each position.
  EXPECT_EQ(band->upperSeries()->points(), (QList<QPointF>{{-0.5, 0.05}, {0.5, 0.05}, {0.5, 0.05}, {1.5, 0.05},
                                                           {1.5, 0.2}, {2.5, 0.2}}));
  EXPECT_EQ(band->lowerSeries()->points().front(), QPointF(-0.5, -0.05));

  const QRectF plot = chart->plotArea();
  for (int s = 0; s < 2; ++s) {
    auto* errors = qobject_cast<QXYSeries*>(series[s + 1]);
    ASSERT_NE(errors, nullptr);
    EXPECT_EQ(errors->name().toStdString(), check.errors[s].name);
    const QList<QPointF> points = errors->points();
    ASSERT_EQ(points.size(), static_cast<qsizetype>(check.errors[s].points.size()));
    for (qsizetype i = 0; i < points.size(); ++i) {
      const ChartPoint& expected = check.errors[s].points[static_cast<size_t>(i)];
      EXPECT_EQ(points[i], QPointF(expected.x, expected.y));
      // The positions divide the plot's width equally, and zero error lies on its middle line.
      const QPointF at = chart->mapToPosition(points[i], errors);
      EXPECT_NEAR(at.x(), plot.left() + (expected.x + 0.5) / 3.0 * plot.width(), 1.0) << s << " " << i;
      EXPECT_EQ(at.y() < plot.center().y() - 0.5, expected.y > 0) << s << " " << i;
      EXPECT_TRUE(plot.adjusted(-1, -1, 1, 1).contains(at)) << s << " " << i;
    }
  }
}

TEST(CheckChartView, ChartsAreWrittenAsPngOrSvgByTheFilesExtension) {
  testing::TempDir dir;
  const std::vector<CheckChart> charts{KnownCheck(), KnownCheck()};
  const std::pair<const char*, std::string> kinds[] = {{"/chart.png", "\x89PNG"}, {"/chart.svg", "<?xml"}};
  for (const auto& [name, start] : kinds) {
    std::string error;
    EXPECT_TRUE(WriteCheckChartsFile(charts, dir.path() + name, error)) << error;
    std::ifstream in(dir.path() + name);
    std::string head(start.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, start) << name;
  }
  std::string error;
  EXPECT_FALSE(WriteCheckChartsFile(charts, dir.path() + "/chart.txt", error));
  EXPECT_EQ(error, dir.path() + "/chart.txt: the file must end in .png or .svg");
}

class ChartWindowTest : public ::testing::Test, protected testing::SimulatedStation {
protected:
  MainWindow window_{app_};
};

TEST_F(ChartWindowTest, TheChartOpensInAWindowOfItsOwnBesideTheMainWindow) {
  window_.show();
  window_.ShowCheckChart(KnownCheck());
  auto* view = window_.findChild<QChartView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_TRUE(view->isWindow());
  EXPECT_EQ(view->windowTitle().toStdString(), KnownCheck().title);
  EXPECT_GT(view->x(), window_.frameGeometry().right());
  EXPECT_EQ(view->chart()->series().size(), 3);
}

}  // namespace
}  // namespace endcap
