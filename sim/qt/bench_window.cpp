#include "sim/qt/bench_window.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <iterator>

#include "protocol/pressure.h"
#include "sim/control_commands.h"

namespace endcap {

namespace {

constexpr int kRotations[] = {0, 90, 180, 270};

struct SupplyControl {
  const char* name;
  const char* label;
  sim::Supply supply;
};
constexpr SupplyControl kSupplies[] = {
    {"supply-12", "-12 V rail (V)", sim::Supply::BoardMinus12},
    {"supply+12", "+12 V rail (V)", sim::Supply::BoardPlus12},
    {"supply3.3", "3.3 V rail (V)", sim::Supply::Board3V3},
    {"supplyExt-12", "External -12 V (V)", sim::Supply::ExternalMinus12},
    {"supplyExt+12", "External +12 V (V)", sim::Supply::ExternalPlus12},
};

struct FaultChoice {
  const char* label;
  sim::Fault fault;
};
constexpr FaultChoice kFaults[] = {
    {"No reply", sim::Fault::NoReply},
    {"Bad CRC", sim::Fault::BadCrc},
    {"Short reply", sim::Fault::ShortReply},
    {"Exception reply", sim::Fault::ExceptionReply},
    {"Reply cut in half", sim::Fault::CutReply},
    {"Reply stalled", sim::Fault::StalledReply},
    {"Measurement never ready", sim::Fault::NeverReady},
    {"RS485 loop broken", sim::Fault::BrokenLoop},
};

QString ModeText(const sim::UnitStatus& status) {
  if (status.mode == sim::UnitMode::BootLoader)
    return QString("boot loader: %1 lines taken, %2 refused").arg(status.bootRecords).arg(status.bootErrors);
  return status.unlocked ? "Modbus, unlocked for one write" : "Modbus";
}

QString GaugeText(const sim::UnitStatus& status) {
  switch (status.gauge) {
    case sim::GaugeState::Off: return "off";
    case sim::GaugeState::WarmingUp: return "warming up, no value yet";
    case sim::GaugeState::Measuring:
      return status.pressurePsi > kPressureNotReadyMark ? QString("measuring: %1 psi").arg(status.pressurePsi, 0, 'f', 3)
                                                         : "measuring, held by a started measurement";
  }
  return {};
}

double SupplyVolts(const sim::SupplyVolts& volts, sim::Supply supply) {
  switch (supply) {
    case sim::Supply::BoardMinus12: return volts.boardMinus12;
    case sim::Supply::BoardPlus12: return volts.boardPlus12;
    case sim::Supply::Board3V3: return volts.board3V3;
    case sim::Supply::ExternalMinus12: return volts.externalMinus12;
    case sim::Supply::ExternalPlus12: return volts.externalPlus12;
  }
  return 0.0;
}

}  // namespace

BenchWindow::BenchWindow(sim::SimulatedUnit& unit, sim::LineControl* line, QWidget* parent)
    : QWidget(parent, Qt::Window), unit_(unit), line_(line), form_(new QFormLayout(this)) {
  setWindowTitle("Simulated bench");

  tilt_ = AddNumber("tilt", "Pitch tilt (degrees)", -90.0, 90.0, 3);
  AddHint("tiltHint",
          "for \"Mount the end-cap with approx +10 deg pitch\" and \"Set End-Cap to first/second pitch angle\"; "
          "0 for \"0 pitch and 0 roll\" and \"level\"");
  connect(tilt_, &QDoubleSpinBox::valueChanged, this, [this](double deg) {
    unit_.SetTilt(deg);
    ShowUnit();
  });
  rotation_ = new QComboBox(this);
  rotation_->setObjectName("rotation");
  for (int deg : kRotations) rotation_->addItem(QString::number(deg), deg);
  form_->addRow("Bow at (degrees)", rotation_);
  AddHint("rotationHint",
          "for \"Allign bow to 0/90/180/270 degrees\" and \"Position the end cap at the ... degrees position\"");
  connect(rotation_, &QComboBox::currentIndexChanged, this, [this](int index) {
    unit_.SetRotation(rotation_->itemData(index).toInt());
    ShowUnit();
  });
  pressure_ = AddNumber("pressure", "Dead-weight pressure (psi)", 0.0, 20000.0, 3);
  AddHint("pressureHint", "for \"Set pressure to zero\" and \"Set measurement pressure\" (strain gauge calibration)");
  connect(pressure_, &QDoubleSpinBox::valueChanged, this, [this](double psi) {
    unit_.SetAppliedPressure(psi);
    ShowUnit();
  });
  atmosphere_ = AddNumber("atmosphere", "Atmosphere (mbar)", 1.0, 2000.0, 2);
  AddHint("atmosphereHint", "the room's pressure, typed at \"Atmospheric pressure (millibar)\"");
  connect(atmosphere_, &QDoubleSpinBox::valueChanged, this, [this](double mbar) {
    unit_.SetAtmosphere(mbar);
    ShowUnit();
  });
  for (size_t i = 0; i < std::size(kSupplies); ++i) {
    const SupplyControl& s = kSupplies[i];
    supplies_[i] = AddNumber(s.name, s.label, -20.0, 20.0, 3);
    connect(supplies_[i], &QDoubleSpinBox::valueChanged, this, [this, supply = s.supply](double volts) {
      unit_.SetSupply(supply, volts);
      ShowUnit();
    });
  }
  AddHint("suppliesHint",
          "for \"Power supplies\" and \"External supplies\" (PCB test) and \"Warning power supply voltages!!\"");
  auto* powerCycle = new QPushButton("Power cycle", this);
  powerCycle->setObjectName("powerCycle");
  form_->addRow("Unit power", powerCycle);
  connect(powerCycle, &QPushButton::clicked, this, [this] { RunCommand("power-cycle"); });
  AddHint("powerCycleHint", "for \"Cycle the unit power to reset it\" (the end of Bootload new program)");

  fault_ = new QComboBox(this);
  fault_->setObjectName("fault");
  for (const FaultChoice& f : kFaults) fault_->addItem(f.label);
  faultMode_ = new QComboBox(this);
  faultMode_->setObjectName("faultMode");
  // The fault command's own mode names.
  faultMode_->addItems({"once", "always"});
  auto* inject = new QPushButton("Inject", this);
  inject->setObjectName("inject");
  auto* clear = new QPushButton("Clear faults", this);
  clear->setObjectName("clearFaults");
  auto* faults = new QHBoxLayout;
  faults->addWidget(fault_, 1);
  faults->addWidget(faultMode_);
  faults->addWidget(inject);
  faults->addWidget(clear);
  form_->addRow("Fault", faults);
  // Through the command language, so that the log shows what was done and how to type it.
  connect(inject, &QPushButton::clicked, this, [this] {
    RunCommand(std::string("fault ") + sim::FaultName(kFaults[fault_->currentIndex()].fault) + " " +
               faultMode_->currentText().toStdString());
  });
  connect(clear, &QPushButton::clicked, this, [this] { RunCommand("fault clear"); });

  command_ = new QLineEdit(this);
  command_->setObjectName("command");
  command_->setPlaceholderText("any simulator command, such as: noise 2, hangup, replug, dump 0 23");
  form_->addRow("Command", command_);
  connect(command_, &QLineEdit::returnPressed, this, [this] { RunTypedCommand(); });
  log_ = new QPlainTextEdit(this);
  log_->setObjectName("log");
  log_->setReadOnly(true);
  form_->addRow(log_);
  mode_ = AddStatus("mode", "Board");
  measurement_ = AddStatus("measurement", "Measurement");
  gauge_ = AddStatus("gauge", "Strain gauge");
  faults_ = AddStatus("faults", "Armed faults");
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this] { ShowUnit(); });
  timer->start(kRefreshMs);
  ShowUnit();
}

QDoubleSpinBox* BenchWindow::AddNumber(const QString& name, const QString& label, double low, double high,
                                       int decimals) {
  auto* box = new QDoubleSpinBox(this);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setDecimals(decimals);
  // A value reaches the unit when it is complete, not at every keystroke.
  box->setKeyboardTracking(false);
  form_->addRow(label, box);
  return box;
}

void BenchWindow::AddHint(const QString& name, const QString& text) {
  auto* hint = new QLabel(text, this);
  hint->setObjectName(name);
  hint->setWordWrap(true);
  hint->setEnabled(false);  // drawn grey: a note, not a value
  QFont font = hint->font();
  font.setPointSizeF(font.pointSizeF() * 0.85);
  hint->setFont(font);
  form_->addRow(hint);
}

QLabel* BenchWindow::AddStatus(const QString& name, const QString& label) {
  auto* value = new QLabel(this);
  value->setObjectName(name);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form_->addRow(label, value);
  return value;
}

void BenchWindow::RunTypedCommand() {
  const std::string command = command_->text().trimmed().toStdString();
  if (command.empty()) return;
  RunCommand(command);
  command_->clear();
}

void BenchWindow::RunCommand(const std::string& command) {
  LogCommand(command, sim::ExecuteCommand(unit_, line_, command));
  ShowUnit();
}

void BenchWindow::LogCommand(const std::string& command, const std::string& answer, const QString& source) {
  const QString prompt = source.isEmpty() ? "> " : source + "> ";
  log_->appendPlainText(prompt + QString::fromStdString(command + "\n" + answer));
}

void BenchWindow::ShowUnit() {
  const sim::Bench bench = unit_.bench();
  const sim::SupplyVolts volts = unit_.supplies();
  const auto showValue = [](QDoubleSpinBox* box, double value) {
    if (box->hasFocus()) return;
    const QSignalBlocker block(box);
    box->setValue(value);
  };
  showValue(tilt_, bench.tiltDeg);
  if (!rotation_->hasFocus()) {
    const QSignalBlocker block(rotation_);
    rotation_->setCurrentIndex(rotation_->findData(bench.rotationDeg));
  }
  showValue(pressure_, bench.appliedPsi);
  showValue(atmosphere_, bench.atmosphereMbar);
  for (size_t i = 0; i < std::size(kSupplies); ++i) showValue(supplies_[i], SupplyVolts(volts, kSupplies[i].supply));

  const sim::UnitStatus status = unit_.Status();
  mode_->setText(ModeText(status));
  measurement_->setText(sim::MeasurementName(status.measurement));
  gauge_->setText(GaugeText(status));
  QStringList faults;
  for (const std::string& fault : status.faults) faults << QString::fromStdString(fault);
  faults_->setText(faults.isEmpty() ? "none" : faults.join(", "));
}

}  // namespace endcap
