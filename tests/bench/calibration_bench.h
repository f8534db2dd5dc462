#pragma once
// endcap-bench --calibration: a whole inclinometer calibration with its check, and a strain
// gauge calibration with its six-point check, against the standalone simulator, the fixture and
// the tester moved by a scripted operator.

#include <string>

namespace endcap::bench {

// Runs each procedure count times; prints the figures. The exit status of the program.
int RunCalibrationBench(const std::string& simulator, int count);

}  // namespace endcap::bench
