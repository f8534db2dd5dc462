// info, read, enable, disable, set-address and disconnect: the main window's own commands,
// run after Connect, with the pane printed at the end as the window would show it.

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/unit_info_json.h"
#include "protocol/register_map.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

constexpr uint32_t kMaxAddress = 0xFFFF;

enum class SensorCommand { Read, Enable, Disable };

const char* SensorName(uint16_t mask) { return mask == reg::kSensorInclinometer ? "inclinometer" : "strain gauge"; }

// Puts the list item of the wanted sensor into the window's sensor choice, as the operator
// picks it from the list; the list holds the fitted sensors only.
bool ChooseSensor(MainDialog& dialog, TextView& view, uint16_t mask) {
  for (const std::string& item : view.sensorItems()) {
    view.SetSensorEditText(item);
    dialog.TransferFromWindow();
    const int state = dialog.SelectedSensorState();
    if ((state < 0 ? -state : state) == mask) return true;
  }
  return false;
}

// The command's own verdict: printed pane and done, or the reason (the unit's fault when the
// last reply was not an answer).
int Conclude(CliSession& session, const TextView& view, bool done, const std::string& failure) {
  if (!done) return session.NotDone(failure);
  session.PrintPane(view);
  return kExitDone;
}

// The verdict on a write the window made (enable, disable, set-address): the write's own
// result first. An acknowledged write whose re-reading of the unit failed is not called done,
// nor undone: change says what the write did.
int ConcludeWrite(CliSession& session, const TextView& view, bool acknowledged, bool taken, const std::string& change,
                  const std::string& failure) {
  const std::string& unread = session.app.unit.unitInfoReadFailures;
  if (acknowledged && !unread.empty())
    return session.Fail(change + ", but the unit's information could not be read back: " + unread);
  return Conclude(session, view, acknowledged && taken, failure);
}

int RunSensorCommand(CliSession& session, SensorCommand command, uint16_t mask) {
  return session.RunInWindow([&](MainDialog& dialog, TextView& view) {
    if (!ChooseSensor(dialog, view, mask)) return session.Fail(std::string("the unit has no ") + SensorName(mask) + " fitted");
    if (command == SensorCommand::Read) {
      const bool enabled = dialog.SelectedSensorState() > 0;
      dialog.OnRead();
      if (enabled && dialog.connected && !dialog.readingValid) {
        // What the window shows ("No reply", or the gauge's not-ready value), with the reason.
        session.PrintPane(view);
        if (!session.LastReplyAnswered()) return session.UnitFailed();
        return session.Fail(mask == reg::kSensorInclinometer
                                ? "no reading: the measurement did not become ready"
                                : "no reading: the gauge gave no ready value within 10 s");
      }
      return Conclude(session, view, enabled && dialog.connected, "no reading");
    }
    const bool enable = command == SensorCommand::Enable;
    const bool wasEnabled = dialog.SelectedSensorState() > 0;
    if (enable)
      dialog.OnEnable();
    else
      dialog.OnDisable();
    const bool isEnabled = (session.app.unit.enabledSensors & mask) != 0;
    // Nothing to switch: the window said so, and the unit is as wanted.
    if (wasEnabled == enable) return Conclude(session, view, dialog.connected && isEnabled == enable, "");
    return ConcludeWrite(session, view, dialog.unitWriteAcknowledged, isEnabled == enable,
                         enable ? "the sensor was enabled" : "the sensor was disabled",
                         enable ? "the sensor was not enabled" : "the sensor was not disabled");
  });
}

void AddSensorCommand(CLI::App& cli, CliOptions& options, const std::string& word, SensorCommand command,
                      const std::string& description) {
  auto sensor = std::make_shared<std::string>();
  CLI::App* sub = cli.add_subcommand(word, description);
  sub->add_option("SENSOR", *sensor, "inclinometer or strain")
      ->required()
      ->check(CLI::IsMember({"inclinometer", "strain"}));
  sub->callback([&options, sensor, command] {
    const uint16_t mask = *sensor == "inclinometer" ? reg::kSensorInclinometer : reg::kSensorStrainGauge;
    options.run = [command, mask](CliSession& session) { return RunSensorCommand(session, command, mask); };
  });
}

}  // namespace

void AddWindowCommands(CLI::App& cli, CliOptions& options) {
  auto json = std::make_shared<bool>(false);
  CLI::App* info = cli.add_subcommand("info", "connect (handshake) and print the unit's information text");
  info->add_flag("--json", *json,
                 "print one JSON object instead: serials, firmware, PCB drawing, Modbus address, current, each "
                 "sensor's state and settings, and each calibration record (done, date, operator)");
  info->callback([&options, json] {
    options.run = [json](CliSession& session) {
      return session.RunInWindow([&session, json](MainDialog&, TextView& view) -> int {
        // A unit whose identity did not come is not shown as one with an all-zero identity.
        const std::string& unread = session.app.unit.unitInfoReadFailures;
        if (!unread.empty()) return session.Fail("the unit's information could not be read: " + unread);
        if (!*json) return Conclude(session, view, true, "");
        session.streams.out << UnitInfoJson(session.app.unit) << '\n';
        return kExitDone;
      });
    };
  });

  AddSensorCommand(cli, options, "read", SensorCommand::Read,
                   "print pitch and roll, or the pressure, as the window's Read does");
  AddSensorCommand(cli, options, "enable", SensorCommand::Enable,
                   "enable a sensor: operator ID, unit serial and supply checks first");
  AddSensorCommand(cli, options, "disable", SensorCommand::Disable, "disable a sensor, with the same checks");

  auto address = std::make_shared<uint32_t>(0);
  CLI::App* setAddress = cli.add_subcommand(
      "set-address", "set the unit's Modbus address setting (asks when N is omitted); requests still go to slave 250");
  CLI::Option* given = AddNumber(*setAddress, "N", 0, kMaxAddress, *address, "the new address");
  setAddress->callback([&options, address, given] {
    const bool addressGiven = given->count() > 0;
    options.run = [address, addressGiven](CliSession& session) {
      return session.RunInWindow([&](MainDialog& dialog, TextView& view) {
        if (addressGiven) session.op.AnswerNextPrompt(std::to_string(*address));
        dialog.OnSetModbusAddress();
        if (dialog.modbusAddressRefused) return session.Fail("Modbus address " + session.op.lastAnswer() + " was not written");
        const auto wanted = static_cast<uint16_t>(LeadingInt(session.op.lastAnswer()));
        return ConcludeWrite(session, view, dialog.unitWriteAcknowledged, session.app.unit.modbusAddress == wanted,
                             "Modbus address " + std::to_string(wanted) + " was written",
                             "the unit did not take Modbus address " + std::to_string(wanted));
      });
    };
  });

  cli.add_subcommand("disconnect", "connect, then release the unit")->callback([&options] {
    options.run = [](CliSession& session) {
      return session.RunInWindow([&session](MainDialog& dialog, TextView& view) {
        dialog.OnDisconnect();
        return Conclude(session, view, true, "");
      });
    };
  });
}

}  // namespace endcap
