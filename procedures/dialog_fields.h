#pragma once
// What the procedure dialogs need of their windows: the text of an edit by control id, and the
// OK ending. Escape (the Cancel ending) is the window's own business: the logic never needs it.

#include <cstdint>
#include <string>

#include "operator/operator_interface.h"

namespace endcap {

class UnitClient;

class DialogFieldsView {
public:
  virtual ~DialogFieldsView() = default;
  virtual void SetFieldText(int id, const std::string& text) = 0;
  virtual std::string FieldText(int id) const = 0;
  virtual void EndDialog() = 0;
};

// An integer field's data exchange: optional blanks, an optional sign, digits, optional blanks,
// within the range of an int. False (value untouched) for anything else.
bool ParseIntegerField(const std::string& text, int32_t& value);

// The refusal that data exchange shows for a field that is not an integer.
inline constexpr const char* kNotAnInteger = "Please enter an integer.";

// A decimal truncated toward zero, as a C conversion does; a value no int can hold (or NaN)
// becomes the nearest int (0 for NaN) instead of undefined behaviour.
int32_t TruncateToInt(double value);

// After a step of a calibration whose exchange failed: true when the unit has gone, and then
// the operator has been told so in one box of the dialog's own (the application's name as
// caption, no icon). The calibration stops there: nothing it would do next can succeed.
bool StopForLostUnit(UnitClient& client, OperatorInterface& op);

// Asks for a step at the bench (moving the fixture, setting a pressure) before a measurement:
// false when the operator could not have it done, and then the procedure stops there.
bool BenchStepDone(OperatorInterface& op, const std::string& text, const std::string& caption = kApplicationName);

}  // namespace endcap
