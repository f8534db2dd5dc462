#include "cli/cli_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "cli/terminal_operator.h"
#include "cli/text_view.h"
#include "console/main_dialog.h"
#include "console/tester_app.h"
#include "serial/line_trace.h"
#include "serial/serial_port.h"
#include "unit/conversions.h"
#include "unit/register_map.h"
#include "unit/text_format.h"

namespace endcap {

namespace {

const char* const kProgramName = "endcap-cli";
constexpr int kRegisterTimeoutSeconds = 2;
constexpr int kControlTimeoutSeconds = 1;

// Answers the next text prompt itself when the command line gave the answer, and keeps the
// last answer either way, so the command can check that the unit took it.
class AnsweringOperator : public OperatorInterface {
public:
  explicit AnsweringOperator(OperatorInterface& inner) : inner_(inner) {}
  void AnswerNextPrompt(const std::string& text) { preset_ = text; }
  const std::string& lastAnswer() const { return lastAnswer_; }

  BoxAnswer ShowMessage(const MessageBox& box) override { return inner_.ShowMessage(box); }
  std::string PromptText(const std::string& caption, const std::string& defaultText) override {
    if (preset_) {
      lastAnswer_ = *preset_;
      preset_.reset();
    } else {
      lastAnswer_ = inner_.PromptText(caption, defaultText);
    }
    return lastAnswer_;
  }
  uint8_t ChoosePort() override { return inner_.ChoosePort(); }

private:
  OperatorInterface& inner_;
  std::optional<std::string> preset_;
  std::string lastAnswer_;
};

class Session {
public:
  Session(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams)
      : options_(options),
        streams_(streams),
        port_(devices, clock),
        terminal_(streams.in, streams.err, devices),
        op_(terminal_),
        app_(port_, op_, options.drives),
        link_(app_.link) {
    terminal_.SetFixedPort(options.com);
    terminal_.SetEcho(streams.echoAnswers);
  }

  ~Session() {
    port_.SetTrace(nullptr);
    trace_.reset();
    if (traceFile_ && traceFile_ != stderr) std::fclose(traceFile_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int Run() {
    if (!StartTrace()) return kExitUsage;
    switch (options_.command) {
      case CliCommand::RegistersRead: return ReadRegisters();
      case CliCommand::RegistersWrite:
      case CliCommand::RegistersWriteSingle:
      case CliCommand::Control: return WriteToUnit();
      default: return RunWindowCommand();
    }
  }

private:
  int Fail(const std::string& why) {
    streams_.err << kProgramName << ": " << why << '\n';
    return kExitUnitFailed;
  }
  bool LastReplyAnswered() const { return link_.DescribeLastReply().empty(); }
  int UnitFailed() {
    const std::string why = link_.DescribeLastReply();
    return Fail("the unit did not answer as expected: " + (why.empty() ? std::string("unexpected reply") : why));
  }
  int PortFailed(int portNumber) {
    return Fail("COM" + std::to_string(portNumber) + " could not be opened: " + port_.lastError().reason);
  }

  bool StartTrace() {
    if (options_.traceFile.empty()) return true;
    traceFile_ = options_.traceFile == "-" ? stderr : std::fopen(options_.traceFile.c_str(), "w");
    if (!traceFile_) {
      streams_.err << kProgramName << ": cannot write the trace file " << options_.traceFile << ": "
                   << std::strerror(errno) << '\n';
      return false;
    }
    trace_ = std::make_unique<LineTrace>(traceFile_, port_.clock());
    port_.SetTrace(trace_.get());
    return true;
  }

  // The register and control commands talk to the unit without the window's handshake.
  bool OpenChosenPort(int& status) {
    const uint8_t chosen = op_.ChoosePort();
    if (chosen == 0) {
      status = Fail("no port chosen");
      return false;
    }
    if (!port_.OpenOnPort(chosen)) {
      status = PortFailed(chosen);
      return false;
    }
    return true;
  }

  int ReadRegisters() {
    int status = kExitDone;
    if (!OpenChosenPort(status)) return status;
    std::vector<uint16_t> values(options_.count);
    if (!link_.ReadInputRegisters(options_.first, options_.count, values.data(), kRegisterTimeoutSeconds))
      return UnitFailed();
    for (uint16_t k = 0; k < options_.count; ++k)
      streams_.out << Format("%u\t%u\t0x%04x\n", static_cast<unsigned>(options_.first + k), values[k], values[k]);
    return kExitDone;
  }

  int WriteToUnit() {
    int status = kExitDone;
    if (!OpenChosenPort(status)) return status;
    bool ok = false;
    switch (options_.command) {
      case CliCommand::RegistersWrite:
        ok = link_.WriteMultipleRegisters(options_.first, static_cast<int>(options_.values.size()),
                                          options_.values.data(), kRegisterTimeoutSeconds);
        break;
      case CliCommand::RegistersWriteSingle:
        ok = link_.WriteSingleRegister(options_.values.front(), options_.first, kRegisterTimeoutSeconds);
        break;
      default: ok = link_.SendControlFunction(options_.parameter, options_.function, kControlTimeoutSeconds); break;
    }
    return ok ? kExitDone : UnitFailed();
  }

  // Puts the list item of the wanted sensor into the window's sensor choice, as the operator
  // picks it from the list; the list holds the fitted sensors only.
  bool ChooseSensor(MainDialog& dialog, TextView& view) {
    for (const std::string& item : view.sensorItems()) {
      view.SetSensorEditText(item);
      dialog.TransferFromWindow();
      const int state = dialog.SelectedSensorState();
      if ((state < 0 ? -state : state) == options_.sensorMask) return true;
    }
    return false;
  }

  int ConnectFailed() {
    if (link_.chosenPort == 0) return Fail("no port chosen");
    if (!port_.isOpen) return PortFailed(link_.chosenPort);
    return UnitFailed();
  }

  int RunWindowCommand() {
    TextView view;
    MainDialog dialog(app_, view);
    dialog.OnInitDialog();
    dialog.OnConnect();
    if (!dialog.connected) return ConnectFailed();

    bool done = true;
    std::string failure;
    switch (options_.command) {
      case CliCommand::Read:
      case CliCommand::Enable:
      case CliCommand::Disable: {
        if (!ChooseSensor(dialog, view))
          return Fail(std::string("the unit has no ") +
                      (options_.sensorMask == reg::kSensorInclinometer ? "inclinometer" : "strain gauge") + " fitted");
        if (options_.command == CliCommand::Read) {
          const bool enabled = dialog.SelectedSensorState() > 0;
          dialog.OnRead();
          done = enabled && dialog.connected && dialog.readingValid;
          failure = "no reading";
        } else {
          const bool enable = options_.command == CliCommand::Enable;
          if (enable)
            dialog.OnEnable();
          else
            dialog.OnDisable();
          const bool isEnabled = (link_.enabledSensors & options_.sensorMask) != 0;
          done = dialog.connected && isEnabled == enable;
          failure = enable ? "the sensor was not enabled" : "the sensor was not disabled";
        }
        break;
      }
      case CliCommand::SetAddress: {
        if (options_.addressGiven) op_.AnswerNextPrompt(std::to_string(options_.address));
        dialog.OnSetModbusAddress();
        const auto wanted = static_cast<uint16_t>(LeadingInt(op_.lastAnswer()));
        done = dialog.connected && link_.modbusAddress == wanted;
        failure = "the unit did not take Modbus address " + std::to_string(wanted);
        break;
      }
      case CliCommand::Disconnect: dialog.OnDisconnect(); break;
      default: break;
    }
    if (!done) return LastReplyAnswered() ? Fail(failure) : UnitFailed();
    std::string pane = view.PaneText();
    if (pane.size() < 2 || pane.compare(pane.size() - 2, 2, "\r\n") != 0) pane += "\r\n";
    streams_.out << pane;
    return kExitDone;
  }

  const CliOptions& options_;
  const CliStreams& streams_;
  SerialPort port_;
  TerminalOperator terminal_;
  AnsweringOperator op_;
  TesterApp app_;
  ModbusLink& link_;
  std::FILE* traceFile_ = nullptr;
  std::unique_ptr<LineTrace> trace_;
};

}  // namespace

int RunCli(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams) {
  Session session(options, devices, clock, streams);
  return session.Run();
}

}  // namespace endcap
