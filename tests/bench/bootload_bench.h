#pragma once
// The firmware load timed against the standalone simulator: see bootload_bench.cpp.

#include <string>

namespace endcap::bench {

// Loads a program of records Intel HEX records into the simulator's boot loader; prints the
// figures and returns the program's exit status.
int RunBootloadBench(const std::string& simulator, int records);

}  // namespace endcap::bench
