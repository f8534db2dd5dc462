#include "records/check_chart.h"

#include <cmath>

#include "protocol/pressure.h"
#include "records/cal_sheet_dialog.h"
#include "records/certificate_items.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"

namespace endcap {

namespace {

constexpr int kCheckSets = 2;
constexpr int kBowPositions = 4;
constexpr int kPressurePoints = 6;

// "of 123456-007, 09/12/2026, AB": whose check, when, by whom.
std::string Heading(const std::string& unitSerial, const CertificateResult& r) {
  return Format("of %s, %02d/%02d/%04d, %s", unitSerial.c_str(), r.day, r.month, r.year + 2000, r.name.c_str());
}

const CertificateResult* Find(const std::map<std::string, CertificateResult>& results, const std::string& key) {
  const auto found = results.find(key);
  return found == results.end() ? nullptr : &found->second;
}

// A position's pitch and roll items hold the nominal angles as values and the reading as text,
// or "no reading" when none came.
bool HasReading(const CertificateResult& r) { return r.text.rfind("Pitch ", 0) == 0; }

}  // namespace

std::optional<CheckChart> InclinometerCheckChart(const std::string& unitSerial,
                                                 const std::map<std::string, CertificateResult>& results,
                                                 const DefaultLimits& limits) {
  CheckChart chart;
  chart.kind = CheckKind::Inclinometer;
  chart.title = "Inclinometer check " + Heading(unitSerial, LookupCertificateResult(results, "3.02.01"));
  chart.xTitle = "Position (check angle/bow, degrees)";
  chart.yTitle = "Error (degrees)";
  ChartSeries pitch{"Pitch error", {}};
  ChartSeries roll{"Roll error", {}};
  bool stored = false;
  const auto add = [&](const std::string& pitchKey, const std::string& rollKey, const char* label) {
    const CertificateResult* p = Find(results, pitchKey);
    const CertificateResult* r = Find(results, rollKey);
    const double x = static_cast<double>(chart.xLabels.size());
    const double angle = std::fabs(p ? p->value : 0.0) + std::fabs(r ? r->value : 0.0);
    const int bow = static_cast<int>(chart.xLabels.size() - 1) % kBowPositions * 90;
    chart.xLabels.push_back(label ? std::string(label) : Format("%.1f/%d", angle, bow));
    chart.band.push_back({x, InclinometerTolerance(limits, angle)});
    if (!p || !r) return;
    stored = true;
    if (!HasReading(*p)) return;
    const PitchRoll reading = ParsePitchRoll(p->text);
    pitch.points.push_back({x, reading.pitchDeg - p->value});
    roll.points.push_back({x, reading.rollDeg - r->value});
  };
  add("3.03.01", "3.03.02", "Level");
  for (int set = 0; set < kCheckSets; ++set)
    for (int bow = 0; bow < kBowPositions; ++bow)
      add(InclinometerCheckPitchKey(set, bow), InclinometerCheckRollKey(set, bow), nullptr);
  if (!stored) return std::nullopt;
  chart.errors = {pitch, roll};
  return chart;
}

std::optional<CheckChart> StrainGaugeCheckChart(const std::string& unitSerial,
                                                const std::map<std::string, CertificateResult>& results,
                                                const DefaultLimits& limits) {
  CheckChart chart;
  chart.kind = CheckKind::StrainGauge;
  chart.title = "Strain gauge check " + Heading(unitSerial, LookupCertificateResult(results, "3.05.06"));
  chart.xTitle = "Applied pressure (psi)";
  chart.yTitle = "Error (% of full scale)";
  const double fullScalePsi = LookupCertificateResult(results, "3.04.04").value * kPsiPerBar;
  const double accuracy = GaugeCheckAccuracy(limits, LookupCertificateResult(results, "3.04.05").value);
  ChartSeries error{"Error", {}};
  bool stored = false;
  for (int i = 0; i < kPressurePoints; ++i) {
    const CertificateResult* point = Find(results, PressurePointKey(i));
    if (!point) continue;
    stored = true;
    const double applied = AppliedPsiOf(*point);
    chart.band.push_back({applied, accuracy});
    // Without a gauge range there is no error to speak of.
    if (!point->noValue && fullScalePsi != 0.0)
      error.points.push_back({applied, (point->value - applied) / fullScalePsi * 100.0});
  }
  if (!stored) return std::nullopt;
  chart.errors = {error};
  return chart;
}

bool ReadCheckCharts(const RecordSettings& settings, const DefaultLimits& limits, const std::string& unitSerial,
                     std::vector<CheckChart>& charts, std::string& error) {
  charts.clear();
  const auto results = ReadCertificateResults(settings, unitSerial, error);
  if (!results) return false;
  for (auto chart : {InclinometerCheckChart(unitSerial, *results, limits), StrainGaugeCheckChart(unitSerial, *results, limits)})
    if (chart) charts.push_back(std::move(*chart));
  return true;
}

}  // namespace endcap
