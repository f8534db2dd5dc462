// A check as a chart: the errors and tolerances of the newest stored inclinometer and
// strain-gauge checks, read back from a store filled by the record operations.

#include "records/check_chart.h"

#include <gtest/gtest.h>

#include <cmath>

#include "records/certificate_items.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

constexpr double kNoReading = NAN;

class CheckChartTest : public ::testing::Test {
protected:
  CheckChartTest() {
    settings.recordFolder = status.path();
    settings.operatorId = "AB";
    unit.unitSerial = "123456-007";
    unit.gaugeFullScaleBar = 10.0;
    unit.gaugeAccuracyPercent = 0.1;
    LoadDefaultLimits(limits);
  }
  void Store(const std::vector<StoredResult>& items) {
    std::string error;
    ASSERT_TRUE(ResultsStoreOf(settings).Store(items, error)) << error;
  }
  std::vector<CheckChart> Charts() {
    std::vector<CheckChart> charts;
    std::string error;
    EXPECT_TRUE(ReadCheckCharts(settings, limits, unit.unitSerial, charts, error)) << error;
    return charts;
  }
  static void ExpectPoints(const ChartSeries& series, const std::vector<ChartPoint>& expected) {
    SCOPED_TRACE(series.name);
    ASSERT_EQ(series.points.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(series.points[i].x, expected[i].x) << i;
      EXPECT_NEAR(series.points[i].y, expected[i].y, 1e-9) << i;
    }
  }

  testing::TempDir status;
  RecordSettings settings;
  UnitState unit;
  DefaultLimits limits;
  const LocalDateTime now{2026, 12, 8, 9, 5, 0};
};

TEST_F(CheckChartTest, AnInclinometerCheckGivesEachPositionsPitchAndRollErrorAgainstItsAnglesTolerance) {
  InclinometerRun run;
  run.checkRun = true;
  run.checkLevelReading = {0.012, -0.046, true};
  run.checkSets[0] = {5.0, {{5.012, 0.003, true}, {-0.004, 4.990, true}, {-5.020, 0.001, true}, {0.002, -5.001, true}}};
  run.checkSets[1] = {45.0, {{45.100, 0.010, true}, {0.020, 44.950, true}, {-45.150, -0.020, true},
                             {kNoReading, kNoReading, false}}};
  Store(InclinometerCheckItems(settings, unit, run, now));

  const std::vector<CheckChart> charts = Charts();
  ASSERT_EQ(charts.size(), 1u);
  const CheckChart& chart = charts[0];
  EXPECT_EQ(chart.kind, CheckKind::Inclinometer);
  EXPECT_EQ(chart.title, "Inclinometer check of 123456-007, 08/12/2026, AB");
  EXPECT_EQ(chart.xLabels, (std::vector<std::string>{"Level", "5.0/0", "5.0/90", "5.0/180", "5.0/270", "45.0/0",
                                                     "45.0/90", "45.0/180", "45.0/270"}));
  EXPECT_EQ(chart.band, (std::vector<ChartPoint>{{0, 0.05}, {1, 0.05}, {2, 0.05}, {3, 0.05}, {4, 0.05}, {5, 0.2},
                                                 {6, 0.2}, {7, 0.2}, {8, 0.2}}));
  ASSERT_EQ(chart.errors.size(), 2u);
  // The last position got no reading: no point.
  ExpectPoints(chart.errors[0],
               {{0, 0.012}, {1, 0.012}, {2, -0.004}, {3, -0.020}, {4, 0.002}, {5, 0.100}, {6, 0.020}, {7, -0.150}});
  ExpectPoints(chart.errors[1],
               {{0, -0.046}, {1, 0.003}, {2, -0.010}, {3, 0.001}, {4, -0.001}, {5, 0.010}, {6, -0.050}, {7, -0.020}});
}

TEST_F(CheckChartTest, AStrainGaugeCheckGivesTheErrorInPercentOfFullScaleAtEachAppliedPressure) {
  StrainGaugeRun run;
  run.checkRun = true;
  const char* applied[] = {"0.000", "29.000", "58.000", "87.000", "116.000", "140.000"};
  const double read[] = {0.05, 29.1, kNoReading, 86.9, 116.0, 140.2};
  for (int i = 0; i < 6; ++i) run.pressurePoints[i] = {true, 145.0377, 0.1, read[i], applied[i]};
  Store(StrainGaugeItems(settings, unit, run, now));

  const std::vector<CheckChart> charts = Charts();
  ASSERT_EQ(charts.size(), 1u);
  const CheckChart& chart = charts[0];
  EXPECT_EQ(chart.kind, CheckKind::StrainGauge);
  EXPECT_EQ(chart.title, "Strain gauge check of 123456-007, 08/12/2026, AB");
  EXPECT_TRUE(chart.xLabels.empty());
  EXPECT_EQ(chart.band, (std::vector<ChartPoint>{{0, 0.1}, {29, 0.1}, {58, 0.1}, {87, 0.1}, {116, 0.1}, {140, 0.1}}));
  ASSERT_EQ(chart.errors.size(), 1u);
  const double percent = 100.0 / 145.0377;
  ExpectPoints(chart.errors[0],
               {{0, 0.05 * percent}, {29, 0.1 * percent}, {87, -0.1 * percent}, {116, 0.0}, {140, 0.2 * percent}});
}

TEST_F(CheckChartTest, AStrainGaugeCalibrationWithoutACheckGivesNoChart) {
  StrainGaugeRun run;
  run.calRun = true;
  Store(StrainGaugeItems(settings, unit, run, now));
  EXPECT_TRUE(Charts().empty());
}

}  // namespace
}  // namespace endcap
