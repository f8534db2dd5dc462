#include "cli/cli_session.h"

#include <cerrno>
#include <cstring>

#include "console/display_text.h"

namespace endcap {

namespace {

const char* const kProgramName = "endcap-cli";

}  // namespace

CliSession::CliSession(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams)
    : streams(streams),
      devices(devices),
      port(devices, clock),
      terminal(streams.in, streams.err, devices),
      op(terminal),
      app(port, op, options.shared.drives, options.shared.storeFile),
      options_(options) {
  terminal.SetFixedPort(options.com);
  terminal.SetEcho(streams.echoAnswers);
  terminal.SetDriveMap(options.shared.drives);
  terminal.SetPortPaths(options.shared.ports);
  terminal.SetGivenAnswers(options.answers.byCaption);
  terminal.SetYesToGoingOn(options.answers.yesToGoingOn);
}

CliSession::~CliSession() {
  port.SetTrace(nullptr);
  trace_.reset();
  if (traceFile_ && traceFile_ != stderr) std::fclose(traceFile_);
}

int CliSession::Run() {
  if (!StartTrace()) return kExitUnitFailed;
  return options_.run(*this);
}

int CliSession::Fail(const std::string& why) {
  streams.err << kProgramName << ": " << why << '\n';
  return kExitUnitFailed;
}

bool CliSession::LastReplyAnswered() const { return app.client.DescribeLastReply().empty(); }

int CliSession::UnitFailed() {
  // The device went away (unplugged) or would not open again: its reason, not "no reply".
  if (!port.isOpen && port.lastError()) return Fail(port.lastError().reason);
  const std::string why = app.client.DescribeLastReply();
  return Fail("the unit did not answer as expected: " + (why.empty() ? std::string("unexpected reply") : why));
}

int CliSession::NotDone(const std::string& failure) {
  if (!terminal.inputEndedAt().empty()) return Fail("input ended at: " + terminal.inputEndedAt());
  if (!LastReplyAnswered()) return UnitFailed();
  if (!terminal.declined().empty()) return Fail("stopped: No to " + terminal.declined());
  return Fail(failure);
}

int CliSession::PortFailed(int portNumber) {
  const SerialError& error = port.lastError();
  const std::string com = "COM" + std::to_string(portNumber);
  if (error.code == SerialErrorCode::Busy)
    return Fail(com + " is in use by another program (" + error.reason + ")");
  return Fail(com + " could not be opened: " + error.reason);
}

bool CliSession::StartTrace() {
  const std::string& file = options_.shared.traceFile;
  if (file.empty()) return true;
  traceFile_ = file == "-" ? stderr : std::fopen(file.c_str(), "w");
  if (!traceFile_) {
    Fail("cannot write the trace file " + file + ": " + std::strerror(errno));
    return false;
  }
  trace_ = std::make_unique<LineTrace>(traceFile_, port.clock(), [this, file](const std::string& reason) {
    Fail("the trace file " + file + " could not be written (" + reason + "); tracing stops");
  });
  port.SetTrace(trace_.get());
  return true;
}

bool CliSession::OpenChosenPort(int& status) {
  const uint8_t chosen = op.ChoosePort();
  if (chosen == 0) {
    status = Fail("no port chosen");
    return false;
  }
  if (!port.OpenOnPort(chosen)) {
    status = PortFailed(chosen);
    return false;
  }
  return true;
}

int CliSession::ConnectFailed() {
  if (app.settings.chosenPort == 0) return Fail("no port chosen");
  if (!port.isOpen) return PortFailed(app.settings.chosenPort);
  return UnitFailed();
}

int CliSession::RunInWindow(const std::function<int(MainDialog&, TextView&)>& command) {
  TextView view;
  MainDialog dialog(app, view);
  dialog.OnInitDialog();
  dialog.OnConnect();
  if (!dialog.connected) return ConnectFailed();
  return command(dialog, view);
}

void CliSession::PrintPane(const TextView& view) {
  std::string pane = view.PaneText();
  if (pane.size() < 2 || pane.compare(pane.size() - 2, 2, "\r\n") != 0) pane += "\r\n";
  streams.out << ToDisplayText(pane);
}

int RunCli(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams) {
  CliSession session(options, devices, clock, streams);
  return session.Run();
}

}  // namespace endcap
