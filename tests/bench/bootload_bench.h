#pragma once
// The firmware load timed against the standalone simulator: a single load (bootload_bench.cpp)
// and gangs of loads at once (gang_bootload_bench.cpp).

#include <string>

namespace endcap::bench {

// Loads a program of records Intel HEX records into the simulator's boot loader; prints the
// figures and returns the program's exit status.
int RunBootloadBench(const std::string& simulator, int records);
// Loads the same program of records records into gangs of 1, 2, 4 ... up to gang simulators at
// once; prints each gang's wall time against the gang of one, and its CPU time per line.
int RunGangBootloadBench(const std::string& simulator, int records, int gang);

}  // namespace endcap::bench
