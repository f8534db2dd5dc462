#include "records/cal_sheet_dialog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdint>

#include "records/append_line.h"
#include "records/record_control_ids.h"
#include "unit/conversions.h"
#include "unit/text_format.h"

namespace endcap {

namespace {

constexpr const char* kCertificateFolder = "Q:\\CALIBRAT\\Drelvik5\\Endcap\\";
constexpr const char* kInclinometerSheet = "calibrate_inclin.csv";
constexpr const char* kPressureSheet = "calibrate_pressure.csv";
constexpr const char* kInclinometerTemplate = "IntInclinometerCertificate.xls";
constexpr const char* kPressureTemplate = "Pressure_Certificate.xls";

constexpr double kPsiPerBar = 14.50377;

// The pitch rows and the roll rows of the inclinometer sheet: the level, +A1, +A2, -A1 and -A2
// readings of each axis.
constexpr const char* kPitchKeys[] = {"3.03.01", "3.03.03", "3.03.11", "3.03.07", "3.03.15"};
constexpr const char* kRollKeys[] = {"3.03.02", "3.03.06", "3.03.14", "3.03.10", "3.03.18"};
constexpr int kAxisRows = 5;

// The first row of a sheet replaces the file: it starts empty, then gains its rows whole.
bool MakeEmpty(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd >= 0 && ::close(fd) == 0;
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The decimal number of text[from, to), saturating rather than overflowing on a long run of
// digits (the characters are known to be digits).
unsigned long long DigitsValue(const std::string& text, size_t from, size_t to) {
  unsigned long long value = 0;
  for (size_t i = from; i < to; ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
  }
  return value;
}

// "name,DD/MM/YYYY" of who recorded a result and when.
std::string WhoAndWhen(const CertificateResult& r) {
  return Format("%s,%02d/%02d/%04d", r.name.c_str(), r.day, r.month, r.year + 2000);
}

// The verdict cell of a result; "" when its pass flag gives none.
const char* Verdict(const CertificateResult& r) {
  if (r.passFlag == 0) return "FAIL";
  if (r.passFlag == 1) return "PASS";
  return "";
}

}  // namespace

std::string CertificateFolder(const DriveMap& drives) { return drives.Resolve(kCertificateFolder); }

PitchRoll ParsePitchRoll(const std::string& text) {
  PitchRoll result;
  if (text.size() < 13) return result;
  result.pitchDeg = LeadingDouble(text.substr(6));
  const size_t roll = text.find("Roll");
  if (roll != std::string::npos && roll + 5 <= text.size()) result.rollDeg = LeadingDouble(text.substr(roll + 5));
  return result;
}

std::string ModbusLink::ToleranceCell(double angleDeg) const {
  const double a = std::fabs(angleDeg);
  if (a < 15.0) return Format("%.3f,", limits.smallAngleTolerance);
  if (a < 46.0) return Format("%.3f,", limits.largeAngleTolerance);
  return " ,";
}

void CalSheetDialog::OnInitDialog() {
  editText = serialText;
  view_->SetSerialText(editText);
}

bool CalSheetDialog::OnCommand(int id) {
  if (id == ctl::sheet::kInclinometerResults) WriteInclinometerSheet();
  else if (id == ctl::sheet::kStrainGaugeResults) WritePressureSheet();
  else if (id == ctl::sheet::kExit) OnExit();
  else return false;
  return true;
}

void CalSheetDialog::OnExit() { view_->EndDialog(); }

void CalSheetDialog::Message(const std::string& text) {
  // Owned by this dialog, exclamation icon, the system's default caption.
  link_.op().ShowMessage({text, "", BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window});
}

bool CalSheetDialog::ValidateSheetSerial() {
  editText = view_->SerialText();
  const std::string& text = editText;
  const size_t n = text.size();
  const size_t dash = text.rfind('-');
  const char* refusal = nullptr;
  if (dash == std::string::npos || dash == 0 || n - dash < 2 || n - dash > 4) {
    refusal = "Illegal entry!!";
  } else {
    const bool letter = text[0] == 'e' || text[0] == 'E';
    for (size_t i = letter ? 1 : 0; i < n && !refusal; ++i)
      if (i != dash && !IsDigit(text[i])) refusal = "Illegal character!!";
    if (!refusal) {
      const unsigned long long number = DigitsValue(text, letter ? 1 : 0, dash);
      const unsigned long long suffix = DigitsValue(text, dash + 1, n);
      link_.unitSerial = letter ? Format("E%05llu-%03llu", number, suffix) : Format("%06llu-%03llu", number, suffix);
      return link_.BeginResultsRecord();
    }
  }
  Message(refusal);
  link_.unitSerialConfirmed = false;
  return false;
}

bool CalSheetDialog::AppendSheetRow(const std::string& row, bool create, const std::string& fileName) {
  const std::string path = certificateFolder_ + fileName;
  if ((!create || MakeEmpty(path)) && AppendWholeLine(path, row + "\n")) return true;
  rowsWritten_ = false;
  Message("Unable to open calibration data file");
  return false;
}

void CalSheetDialog::WriteInclinometerSheet() {
  WriteSheet(&CalSheetDialog::InclinometerRows, kInclinometerSheet, kInclinometerTemplate);
}

void CalSheetDialog::WritePressureSheet() {
  WriteSheet(&CalSheetDialog::PressureRows, kPressureSheet, kPressureTemplate);
}

void CalSheetDialog::WriteSheet(void (CalSheetDialog::*rows)(const std::string& fileName), const char* fileName,
                                const char* templateFileName) {
  view_->SetWaitCursor(true);
  sheetComplete = false;
  if (!ValidateSheetSerial()) {
    Message("Failed to open results");
    view_->SetWaitCursor(false);
    return;
  }
  rowsWritten_ = true;
  (this->*rows)(fileName);
  sheetComplete = rowsWritten_;
  // The prompt waits for the operator: no wait cursor over it.
  view_->SetWaitCursor(false);
  CertificatePromptDialog prompt(link_.op(), spreadsheet_);
  prompt.templateFileName = templateFileName;
  prompt.templateFolder = certificateFolder_;
  view_->RunCertificatePrompt(prompt);
}

void CalSheetDialog::InclinometerRows(const std::string& fileName) {
  AppendSheetRow(link_.unitSerial + ",Remote inclinometer", true, fileName);
  AppendSheetRow(WhoAndWhen(link_.LookupCertificateResult("3.02.01")), false, fileName);
  int passes = 0;
  for (const bool pitch : {true, false}) {
    const char* const* keys = pitch ? kPitchKeys : kRollKeys;
    for (int i = 0; i < kAxisRows; ++i) {
      const CertificateResult r = link_.LookupCertificateResult(keys[i]);
      const PitchRoll reading = ParsePitchRoll(r.text);
      const double measured = pitch ? reading.pitchDeg : reading.rollDeg;
      // The level rows are judged at 0 degrees, the others at the angle measured.
      const std::string row = Format("%.3f,%.3f,%.3f,", measured, r.value, std::fabs(r.value - measured)) +
                              link_.ToleranceCell(i == 0 ? 0.0 : measured) + Verdict(r);
      if (r.passFlag == 1) ++passes;
      AppendSheetRow(row, false, fileName);
    }
  }
  AppendSheetRow(passes == 2 * kAxisRows ? "PASS" : "FAIL", false, fileName);
}

void CalSheetDialog::PressureRows(const std::string& fileName) {
  const CertificateResult accuracyClass = link_.LookupCertificateResult("3.04.05");
  const bool precision = accuracyClass.value <= 0.05;
  const double accuracy = precision ? link_.limits.precisionGaugeAccuracy : link_.limits.standardGaugeAccuracy;
  const std::string heading = precision ? "PRECISION STRAIN GAUGE DEPTH SENSOR,Gauge range (bar)"
                                        : "STRAIN GAUGE DEPTH SENSOR CALIBRATION CERTIFICATE,Gauge range (bar)";
  AppendSheetRow(heading + ",Remote inclinometer", true, fileName);
  AppendSheetRow(link_.unitSerial, false, fileName);
  AppendSheetRow(link_.LookupCertificateResult("3.04.01").text + "," + link_.LookupCertificateResult("3.04.02").text,
                 false, fileName);
  const CertificateResult range = link_.LookupCertificateResult("3.04.04");
  const CertificateResult gaugeSerial = link_.LookupCertificateResult("3.04.03");
  AppendSheetRow(Format("%.0f,", range.value) + (gaugeSerial.value > 0 ? Format("%.0f", gaugeSerial.value) : " "),
                 false, fileName);
  AppendSheetRow(Format("%.2f,", link_.LookupCertificateResult("3.05.07").value) +
                     link_.LookupCertificateResult("3.05.09").text,
                 false, fileName);
  AppendSheetRow(Format("%.0f,%.0f", link_.LookupCertificateResult("3.05.08").value,
                        link_.LookupCertificateResult("3.05.10").value),
                 false, fileName);
  const double fullScalePsi = range.value * kPsiPerBar;
  for (int i = 1; i <= 6; ++i) {
    const CertificateResult r = link_.LookupCertificateResult(Format("3.05.%02d", i));
    const double applied = r.text.size() > 8 ? LeadingDouble(r.text.substr(8)) : 0.0;
    // Without a gauge range a point has no position or error to speak of, and cannot pass.
    const bool hasRange = fullScalePsi != 0.0;
    const double error = hasRange ? std::fabs((r.value - applied) / fullScalePsi * 100.0) : 0.0;
    const double position = hasRange ? applied / fullScalePsi * 100.0 : 0.0;
    AppendSheetRow(Format("%.0f,%.3f,%.3f,%.3f,%.2f", position, applied, r.value, error, accuracy) +
                       (hasRange && error <= accuracy ? ",PASS" : ",FAIL"),
                   false, fileName);
  }
  AppendSheetRow(WhoAndWhen(link_.LookupCertificateResult("3.05.06")), false, fileName);
}

}  // namespace endcap
