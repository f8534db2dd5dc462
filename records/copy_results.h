#pragma once
// Moving a lab's results between stores (a station's file into the lab's server, and back):
// every result keeps its stored time, so the newest stays the newest wherever it lands.

#include <cstddef>
#include <string>

#include "records/results_store.h"

namespace endcap {

struct CopyCount {
  size_t copied = 0;
  size_t alreadyThere = 0;  // the same serial, key, values and stored time (to the second)
};

// Copies every result of from that to does not hold yet, in one transaction; false with the
// masked location of the store at fault and its reason in error, and then nothing is copied.
bool CopyResults(const ResultsStore& from, const ResultsStore& to, CopyCount& count, std::string& error);

}  // namespace endcap
