#pragma once
// The operator at the station's windows: message boxes, the text entry, the port chooser and the
// file dialog. Boxes and dialogs owned by a window open over the main window once it is known.
// Asked from the command worker, each is shown on the window's thread and the worker waits for
// the answer; asked on the window's thread, it is shown at once.

#include <QPointer>
#include <QWidget>

#include "operator/operator_interface.h"
#include "records/drive_map.h"
#include "serial/serial_device.h"

namespace endcap {

class QtOperator : public OperatorInterface {
public:
  // The chooser probes the ports through ports.
  explicit QtOperator(PortProvider& ports) : ports_(ports) {}

  void SetMainWindow(QWidget* window) { mainWindow_ = window; }
  // Where the station's folders are on this machine (the file dialog's start folder).
  void SetDriveMap(const DriveMap& drives) { drives_ = drives; }

  BoxAnswer ShowMessage(const MessageBox& box) override;
  std::string PromptText(const std::string& caption, const std::string& defaultText) override;
  uint8_t ChoosePort() override;
  std::string ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) override;

private:
  // What an owned box or a prompt opens over: the station's dialog the operator is working in
  // (a calibration, a pressure entry, the PCB test), else the main window.
  QWidget* Owner() const;

  PortProvider& ports_;
  QPointer<QWidget> mainWindow_;
  DriveMap drives_;
};

}  // namespace endcap
