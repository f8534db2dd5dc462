#pragma once
// "Simulated bench": what the operator would do at the real bench, done to the simulated unit:
// tilt and turn the fixture, load the dead-weight tester, change the room's pressure, move the
// supplies, cycle the unit's power, inject faults, or type any of the simulator's commands. Its
// controls are named in the words of the station's boxes, each with a line saying which asks
// for it. It also shows the board as
// it is from moment to moment (mode, measurement, strain gauge, armed faults), whatever
// changed it: the station's requests, a fault used up, a command from standard input.
// Every change goes straight to the unit, which takes its own lock.

#include <QWidget>

#include "sim/line_control.h"
#include "sim/simulated_unit.h"

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace endcap {

class BenchWindow : public QWidget {
public:
  // How often the window looks at the unit.
  static constexpr int kRefreshMs = 200;

  // line may be null when the unit hangs on no line that can be unplugged.
  BenchWindow(sim::SimulatedUnit& unit, sim::LineControl* line, QWidget* parent = nullptr);

  // Runs the command typed in the command field.
  void RunTypedCommand();
  // Adds a command and its answer to the log; source names where it came from when it was not
  // this window.
  void LogCommand(const std::string& command, const std::string& answer, const QString& source = {});

private:
  QDoubleSpinBox* AddNumber(const QString& name, const QString& label, double low, double high, int decimals);
  QLabel* AddStatus(const QString& name, const QString& label);
  // A short line under the control above it: which of the station's boxes asks for it.
  void AddHint(const QString& name, const QString& text);
  // Runs a simulator command, logs it and shows its effect.
  void RunCommand(const std::string& command);
  // Shows the unit as it is now, without sending anything back to it. A number the operator is
  // editing is left alone.
  void ShowUnit();

  sim::SimulatedUnit& unit_;
  sim::LineControl* line_;
  QFormLayout* form_;
  QDoubleSpinBox* tilt_;
  QComboBox* rotation_;
  QDoubleSpinBox* pressure_;
  QDoubleSpinBox* atmosphere_;
  QDoubleSpinBox* supplies_[5];
  QComboBox* fault_;
  QComboBox* faultMode_;
  QLineEdit* command_;
  QPlainTextEdit* log_;
  QLabel* mode_;
  QLabel* measurement_;
  QLabel* gauge_;
  QLabel* faults_;
};

}  // namespace endcap
