#pragma once
// What a kind of results store (a file, a server) does for ResultsStore, which holds the rules
// common to both: the newest result of a serial and key is the last in stored order.

#include <string>
#include <vector>

#include "records/results_store.h"

namespace endcap {

class ResultsBackend {
public:
  virtual ~ResultsBackend() = default;

  // Stores every row in one transaction, creating the layout on first use. keepTimes: each
  // row's storedAt is its stored time (a copy); otherwise the store's own clock sets it.
  virtual bool Store(const std::vector<StoredResult>& rows, bool keepTimes, std::string& error) const = 0;
  // The rows of serial (of every serial when serial is null), in serial, key and stored order.
  // A store that does not exist yet holds nothing, unless mustExist.
  virtual bool Read(const std::string* serial, bool mustExist, std::vector<StoredResult>& rows,
                    std::string& error) const = 0;
  // Opens the store and reads its layout version without changing anything: 0 when it holds no
  // results table yet.
  virtual bool Version(int& version, std::string& error) const = 0;
};

// True, with the reason in error, when version is a newer layout than this station's: such a
// store is refused.
bool TooNew(int version, std::string& error);

}  // namespace endcap
