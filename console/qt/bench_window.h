#pragma once
// "Simulated bench": what the operator would do at the real bench, done to the simulated unit
// while the station runs: tilt and turn the fixture, load the dead-weight tester, change the
// room's pressure, move the supplies, inject faults, or type any of the simulator's commands.
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
  // line may be null when the unit hangs on no line that can be unplugged.
  BenchWindow(sim::SimulatedUnit& unit, sim::LineControl* line, QWidget* parent = nullptr);

  // Runs the command typed in the command field and logs it with its answer.
  void RunTypedCommand();

private:
  QDoubleSpinBox* AddNumber(const QString& name, const QString& label, double low, double high, int decimals);
  // Shows the unit as it is now, without sending anything back to it.
  void ShowUnit();

  sim::SimulatedUnit& unit_;
  sim::LineControl* line_;
  QDoubleSpinBox* tilt_;
  QComboBox* rotation_;
  QDoubleSpinBox* pressure_;
  QDoubleSpinBox* atmosphere_;
  QDoubleSpinBox* supplies_[5];
  QComboBox* fault_;
  QComboBox* faultMode_;
  QLineEdit* command_;
  QPlainTextEdit* log_;
  QLabel* state_;
  QFormLayout* form_;
};

}  // namespace endcap
