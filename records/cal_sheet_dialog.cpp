#include "records/cal_sheet_dialog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

#include "protocol/pressure.h"
#include "records/certificate_items.h"
#include "records/results_record.h"
#include "resources/record_control_ids.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

constexpr const char* kCertificateFolder = "Q:\\CALIBRAT\\Drelvik5\\Endcap\\";

// The pitch rows and the roll rows of the inclinometer sheet: the level, +A1, +A2, -A1 and -A2
// readings of each axis.
constexpr const char* kPitchKeys[] = {"3.03.01", "3.03.03", "3.03.11", "3.03.07", "3.03.15"};
constexpr const char* kRollKeys[] = {"3.03.02", "3.03.06", "3.03.14", "3.03.10", "3.03.18"};
constexpr int kAxisRows = 5;
// Stored with every inclinometer check, and with every strain-gauge calibration or check.
constexpr const char* kInclinometerDateKey = "3.02.01";
constexpr const char* kPressureDateKey = "3.04.01";

// Writes text as the whole new content of path: into a new file beside it, renamed over it
// only once complete, so that a full disk or a lost drive leaves the old file as it was and no
// half file behind. Empty on success, else the system's reason.
std::string ReplaceFile(const std::string& path, const std::string& text) {
  const std::string fresh = path + ".new-" + std::to_string(::getpid());
  const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return std::strerror(errno);
  int err = 0;
  for (size_t done = 0; err == 0 && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (n == 0) err = ENOSPC;
    else if (errno != EINTR) err = errno;
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(fresh.c_str(), path.c_str()) != 0) err = errno;
  if (err == 0) return "";
  ::unlink(fresh.c_str());
  return std::strerror(err);
}

// Whether the results hold an item of one of the key groups (such as "3.03.").
bool HoldsAny(const std::map<std::string, CertificateResult>& results, const char* const* groups) {
  for (; *groups; ++groups) {
    const auto first = results.lower_bound(*groups);
    if (first != results.end() && first->first.compare(0, std::strlen(*groups), *groups) == 0) return true;
  }
  return false;
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

// One sheet: its file, its certificate template, and the results it is made of.
struct SheetKind {
  const char* fileName;
  const char* templateFileName;
  const char* results;        // as the operator is told of them
  const char* keyGroups[3];   // the items of the sheet, by key prefix, ending in null
  const char* pdfKind;        // the certificate's PDF copy is "<serial>_<pdfKind>_<date>.pdf"
  const char* dateKey;        // the item that dates the newest results of the sheet
  std::string (CalSheetDialog::*rows)() const;
};

namespace {

const SheetKind kInclinometerSheet = {"calibrate_inclin.csv", "IntInclinometerCertificate.xls", "inclinometer",
                                      {"3.02.", "3.03.", nullptr}, "inclinometer", kInclinometerDateKey,
                                      &CalSheetDialog::InclinometerRows};
const SheetKind kPressureSheet = {"calibrate_pressure.csv", "Pressure_Certificate.xls", "strain gauge",
                                  {"3.04.", "3.05.", nullptr}, "pressure", kPressureDateKey,
                                  &CalSheetDialog::PressureRows};

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

std::string ToleranceCell(const DefaultLimits& limits, double angleDeg) {
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
  op_.ShowMessage({text, "", BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window});
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
      unit_.unitSerial = letter ? Format("E%05llu-%03llu", number, suffix) : Format("%06llu-%03llu", number, suffix);
      return BeginResultsRecord(limits_);
    }
  }
  Message(refusal);
  unit_.unitSerialConfirmed = false;
  return false;
}

void CalSheetDialog::WriteInclinometerSheet() { WriteSheet(kInclinometerSheet); }

void CalSheetDialog::WritePressureSheet() { WriteSheet(kPressureSheet); }

void CalSheetDialog::WriteSheet(const SheetKind& kind) {
  view_->SetWaitCursor(true);
  sheetOutcome = MakeSheet(kind);
  // The prompt waits for the operator: no wait cursor over it.
  view_->SetWaitCursor(false);
  if (sheetOutcome != SheetOutcome::Written) return;
  CertificatePromptDialog prompt(op_, spreadsheet_);
  prompt.templateFileName = kind.templateFileName;
  prompt.templateFolder = certificateFolder_;
  // Named by the day of the results it certifies: a certificate made again of the same results
  // replaces its copy.
  const CertificateResult checked = LookupCertificateResult(results_, kind.dateKey);
  prompt.pdfFileName = Format("%s_%s_%04d-%02d-%02d.pdf", unit_.unitSerial.c_str(), kind.pdfKind, checked.year + 2000,
                              checked.month, checked.day);
  view_->RunCertificatePrompt(prompt);
}

SheetOutcome CalSheetDialog::MakeSheet(const SheetKind& kind) {
  if (!ValidateSheetSerial()) {
    Message("Failed to open results");
    return SheetOutcome::SerialRefused;
  }
  const std::string store = ResultsStoreOf(settings_).path();
  std::string error;
  auto results = ReadCertificateResults(settings_, unit_.unitSerial, error);
  if (!results) {
    Message("Unable to read the results store " + store + " for " + unit_.unitSerial + "\r\n" + error);
    return SheetOutcome::NotWritten;
  }
  results_ = std::move(*results);
  // A sheet of default values would stand for a unit that was never checked.
  if (!HoldsAny(results_, kind.keyGroups)) {
    Message(std::string("The results store ") + store + " holds no " + kind.results + " results for " +
            unit_.unitSerial);
    return SheetOutcome::NotWritten;
  }
  const std::string path = certificateFolder_ + kind.fileName;
  const std::string reason = ReplaceFile(path, (this->*kind.rows)());
  if (reason.empty()) return SheetOutcome::Written;
  Message("Unable to open calibration data file\r\n" + path + ": " + reason);
  return SheetOutcome::NotWritten;
}

std::string CalSheetDialog::InclinometerRows() const {
  std::string sheet = unit_.unitSerial + ",Remote inclinometer\n";
  sheet += WhoAndWhen(LookupCertificateResult(results_, kInclinometerDateKey)) + "\n";
  int passes = 0;
  for (const bool pitch : {true, false}) {
    const char* const* keys = pitch ? kPitchKeys : kRollKeys;
    for (int i = 0; i < kAxisRows; ++i) {
      const CertificateResult r = LookupCertificateResult(results_, keys[i]);
      const PitchRoll reading = ParsePitchRoll(r.text);
      const double measured = pitch ? reading.pitchDeg : reading.rollDeg;
      // The level rows are judged at 0 degrees, the others at the angle measured.
      sheet += Format("%.3f,%.3f,%.3f,", measured, r.value, std::fabs(r.value - measured)) +
               ToleranceCell(limits_, i == 0 ? 0.0 : measured) + Verdict(r) + "\n";
      if (r.passFlag == 1) ++passes;
    }
  }
  return sheet + (passes == 2 * kAxisRows ? "PASS\n" : "FAIL\n");
}

std::string CalSheetDialog::PressureRows() const {
  const CertificateResult accuracyClass = LookupCertificateResult(results_, "3.04.05");
  const bool precision = IsPrecisionGauge(limits_, accuracyClass.value);
  const double accuracy = GaugeCheckAccuracy(limits_, accuracyClass.value);
  std::string sheet = precision ? "PRECISION STRAIN GAUGE DEPTH SENSOR,Gauge range (bar)"
                                : "STRAIN GAUGE DEPTH SENSOR CALIBRATION CERTIFICATE,Gauge range (bar)";
  sheet += ",Remote inclinometer\n" + unit_.unitSerial + "\n";
  sheet += LookupCertificateResult(results_, "3.04.01").text + "," + LookupCertificateResult(results_, "3.04.02").text + "\n";
  const CertificateResult range = LookupCertificateResult(results_, "3.04.04");
  const CertificateResult gaugeSerial = LookupCertificateResult(results_, "3.04.03");
  sheet += Format("%.0f,", range.value) + (gaugeSerial.value > 0 ? Format("%.0f", gaugeSerial.value) : " ") + "\n";
  sheet += Format("%.2f,", LookupCertificateResult(results_, "3.05.07").value) +
           LookupCertificateResult(results_, "3.05.09").text + "\n";
  sheet += Format("%.0f,%.0f\n", LookupCertificateResult(results_, "3.05.08").value,
                  LookupCertificateResult(results_, "3.05.10").value);
  const double fullScalePsi = range.value * kPsiPerBar;
  for (int i = 1; i <= 6; ++i) {
    const CertificateResult r = LookupCertificateResult(results_, Format("3.05.%02d", i));
    const double applied = AppliedPsiOf(r);
    // Without a gauge range a point has no position or error to speak of, and cannot pass.
    const bool hasRange = fullScalePsi != 0.0;
    const double error = hasRange ? std::fabs((r.value - applied) / fullScalePsi * 100.0) : 0.0;
    const double position = hasRange ? applied / fullScalePsi * 100.0 : 0.0;
    // A point stored as failed, such as one that got no reading, never passes on its numbers.
    const bool pass = hasRange && error <= accuracy && r.passFlag != 0;
    sheet += Format("%.0f,%.3f,%.3f,%.3f,%.2f", position, applied, r.value, error, accuracy) +
             (pass ? ",PASS\n" : ",FAIL\n");
  }
  return sheet + WhoAndWhen(LookupCertificateResult(results_, "3.05.06")) + "\n";
}

}  // namespace endcap
