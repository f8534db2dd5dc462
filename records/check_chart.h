#pragma once
// A check as a chart: from a unit's stored results, the error at each point of its newest
// inclinometer check or strain-gauge check against the tolerance the check judged it by. The
// chart is made from the results store alone, so it is the same on every station.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "records/record_settings.h"
#include "unit/certificate_result.h"
#include "unit/default_limits.h"

namespace endcap {

enum class CheckKind { Inclinometer, StrainGauge };

struct ChartPoint {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const ChartPoint& other) const { return x == other.x && y == other.y; }
};

struct ChartSeries {
  std::string name;
  std::vector<ChartPoint> points;  // a point without a reading is left out
};

struct CheckChart {
  CheckKind kind = CheckKind::Inclinometer;
  std::string title;
  std::string xTitle;
  std::string yTitle;
  // The positions' names at x = 0, 1, 2...; empty when x is a quantity of its own.
  std::vector<std::string> xLabels;
  // The tolerance at each x: the band runs from -y to +y.
  std::vector<ChartPoint> band;
  std::vector<ChartSeries> errors;
};

// Inclinometer: level, then bow 0, 90, 180, 270 at each check angle (named "5.0/90"); pitch and roll error in
// degrees (read - nominal) against the tolerance for the angle. Nothing when no check is stored.
std::optional<CheckChart> InclinometerCheckChart(const std::string& unitSerial,
                                                 const std::map<std::string, CertificateResult>& results,
                                                 const DefaultLimits& limits);
// Strain gauge: the error (read - applied) in percent of the gauge's full scale at each applied
// pressure, against the accuracy of the gauge's class. Nothing when no check point is stored.
std::optional<CheckChart> StrainGaugeCheckChart(const std::string& unitSerial,
                                                const std::map<std::string, CertificateResult>& results,
                                                const DefaultLimits& limits);

// The charts of the unit's newest stored checks, inclinometer first, each where stored; false
// with the store's reason in error when the store cannot be read.
bool ReadCheckCharts(const RecordSettings& settings, const DefaultLimits& limits, const std::string& unitSerial,
                     std::vector<CheckChart>& charts, std::string& error);

}  // namespace endcap
