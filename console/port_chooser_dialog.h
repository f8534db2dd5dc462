#pragma once
// The COM port choice: lists the ports 1 to 8 that open at this moment and takes the
// operator's pick back as a number from the last two characters of the list's text.

#include <cstdint>
#include <string>
#include <vector>

#include "serial/serial_device.h"

namespace endcap {

class PortChooserView {
public:
  virtual ~PortChooserView() = default;
  virtual void SetPortItems(const std::vector<std::string>& items) = 0;
  virtual void SelectPortItem(int index) = 0;
  virtual std::string PortText() const = 0;
  virtual void EndDialog(int result) = 0;
};

// "COMM %2d": the number right-aligned in two characters.
std::string PortItemText(int portNumber);
// The decimal value of the last two characters of text, read as atoi reads (leading blanks
// skipped, stops at the first non-digit, 0 when there is none), kept in 8 bits.
uint8_t PortFromText(const std::string& text);

class PortChooserDialog {
public:
  static constexpr int kFirstPort = 1;
  static constexpr int kLastPort = 8;

  PortChooserDialog(PortProvider& ports, PortChooserView& view) : ports_(ports), view_(view) {}

  // Probes the ports afresh: each is opened and closed again at once, so one that another
  // program holds is not offered.
  void OnInitDialog();
  // "Select": the port named by the list's text, then the OK ending.
  void OnSelect();

  uint8_t port = 0;  // 0: none chosen; any ending but "Select" leaves it so
  std::string portText;

private:
  PortProvider& ports_;
  PortChooserView& view_;
};

}  // namespace endcap
