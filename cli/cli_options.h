#pragma once
// The command line of endcap-cli: where the unit is, where the records go, what to trace, and
// the one command to run. Parsing checks everything it can before any port is touched.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/answer_options.h"
#include "console/station_options.h"

namespace endcap {

class CliSession;

struct CliOptions {
  SharedOptions shared;  // --port, --drive, --trace, --store
  uint8_t com = 0;       // 0: the chooser asks
  GivenAnswers answers;  // the operator's answers given as options
  // Every --com in the order given; only bootload takes more than one (a gang).
  std::vector<uint8_t> coms;
  bool manyComs = false;  // the command named takes several --com
  // The command named on the command line, ready to run in a session; its arguments are
  // bound inside it.
  std::function<int(CliSession&)> run;
};

struct CliParse {
  ParseOutcome outcome;
  CliOptions options;
};

CliParse ParseCommandLine(const std::vector<std::string>& args);

}  // namespace endcap
