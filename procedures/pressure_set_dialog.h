#pragma once
// "Set measurement pressure": offers a round pressure near a percentage of the gauge's full
// scale and takes the pressure the operator applied, refusing one above the full scale. The
// caller sets the percentage and the full scale, runs it modally and reads appliedText; Escape
// leaves appliedText as it was. An operator who cannot set a pressure at all abandons it.

#include <string>

#include "procedures/dialog_fields.h"
#include "operator/operator_interface.h"

namespace endcap {

class PressureSetDialog {
public:
  explicit PressureSetDialog(OperatorInterface& op) : op_(op) {}

  void Attach(DialogFieldsView& view) { view_ = &view; }
  // The edit shows the suggested pressure as "%d.000".
  void OnInitDialog();
  // "Pressure set" (the default button).
  void OnPressureSet();
  // No pressure could be set (the operator's answers ran out): the procedure measures nothing
  // more and stops.
  void OnAbandon();
  bool OnCommand(int id);
  static bool HasCommand(int id);

  int percentOfFullScale = 0;
  int fullScalePsi = 0;
  std::string editText;
  std::string appliedText;  // the accepted text; empty until one is accepted
  bool abandoned = false;

private:
  OperatorInterface& op_;
  DialogFieldsView* view_ = nullptr;
};

}  // namespace endcap
