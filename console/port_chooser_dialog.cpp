#include "console/port_chooser_dialog.h"

#include "resources/control_ids.h"
#include "serial/text_format.h"
#include "unit/conversions.h"

namespace endcap {

std::string PortItemText(int portNumber) { return Format("COMM %2d", portNumber); }

uint8_t PortFromText(const std::string& text) {
  const std::string lastTwo = text.size() > 2 ? text.substr(text.size() - 2) : text;
  return static_cast<uint8_t>(LeadingInt(lastTwo) & 0xFF);
}

void PortChooserDialog::OnInitDialog() {
  port = 0;
  // Probed in ascending order with equal-width numbers, the items are already in the sorted
  // order of the list.
  std::vector<std::string> items;
  for (int i = kFirstPort; i <= kLastPort; ++i) {
    SerialError error;
    if (ports_.OpenPort(i, error)) items.push_back(PortItemText(i));
  }
  view_.SetPortItems(items);
  if (items.empty()) return;
  int selected = 0;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == PortItemText(kFirstPort)) selected = static_cast<int>(i);
  view_.SelectPortItem(selected);
}

void PortChooserDialog::OnSelect() {
  portText = view_.PortText();
  port = PortFromText(portText);
  view_.EndDialog(ctl::kOk);
}

}  // namespace endcap
