#include "procedures/pressure_set_dialog.h"

#include "resources/calibration_control_ids.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"
#include "unit/conversions.h"

namespace endcap {

void PressureSetDialog::OnInitDialog() {
  abandoned = false;
  editText = Format("%d.000", SuggestPressure(percentOfFullScale, fullScalePsi));
  view_->SetFieldText(ctl::pressure::kPressure, editText);
}

void PressureSetDialog::OnPressureSet() {
  editText = view_->FieldText(ctl::pressure::kPressure);
  if (LeadingDouble(editText) > fullScalePsi) {
    op_.ShowMessage(DialogBox(Format("Applied presure must not exceed Full scale of %d!!", fullScalePsi),
                                     kApplicationName, BoxButtons::Ok, BoxIcon::Warning));
    return;
  }
  appliedText = editText;
  view_->EndDialog();
}

void PressureSetDialog::OnAbandon() {
  abandoned = true;
  view_->EndDialog();
}

bool PressureSetDialog::HasCommand(int id) { return id == ctl::pressure::kPressureSet; }

bool PressureSetDialog::OnCommand(int id) {
  if (!HasCommand(id)) return false;
  OnPressureSet();
  return true;
}

}  // namespace endcap
