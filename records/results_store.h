#pragma once
// The results store: certificate results, one row per stored result, the newest row of a unit
// serial and item key winning. It is an SQLite file (one station) or a PostgreSQL database that
// several stations share; either is opened for each use, and every write is one transaction, so
// a crash, a lost server or a second station writing at the same time never leaves half a
// calibration in it.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "unit/certificate_result.h"

namespace endcap {

struct StoredResult {
  std::string unitSerial;
  std::string key;
  CertificateResult result;
  // Local time of storing, "YYYY-MM-DD hh:mm:ss": the station's clock for a file, the server's
  // at commit for a server (which sets it itself).
  std::string storedAt;
};

// "CalibrationResults.sqlite" in the status folder.
std::string DefaultResultsStorePath(const std::string& statusFolder);

class ResultsBackend;

class ResultsStore {
public:
  // location: a "postgresql://" or "postgres://" URI, or an SQLite file path.
  explicit ResultsStore(std::string location);

  // Stores every result in one transaction, creating the layout when there is none yet; false
  // with the reason in error, and then nothing of them is stored.
  bool Store(const std::vector<StoredResult>& results, std::string& error) const;
  // Stores results copied from another store, each keeping its stored time.
  bool StoreCopies(const std::vector<StoredResult>& results, std::string& error) const;
  // The newest result of each key of serial, in one read, so that a locked store costs one
  // wait. A store file that does not exist is a failure here: a sheet must not be made from it.
  bool Newest(const std::string& unitSerial, std::map<std::string, CertificateResult>& newest,
              std::string& error) const;
  // Every result of serial, in key order and, within a key, oldest first. A store that does
  // not exist yet holds nothing, and the call succeeds.
  bool List(const std::string& unitSerial, std::vector<StoredResult>& results, std::string& error) const;
  // Every result of every serial, in serial and key order, oldest first within a key.
  // mustExist: a store file that does not exist is a failure, as for Newest.
  bool ListAll(std::vector<StoredResult>& results, bool mustExist, std::string& error) const;
  // Opens the store and reads its layout version, changing nothing; 0 when it holds no results
  // yet. A newer layout than kSchemaVersion is read, not refused, here.
  bool Version(int& version, std::string& error) const;

  // The location as messages show it: a server's password masked.
  const std::string& path() const { return shown_; }

  // The layout this station writes and reads.
  static constexpr int kSchemaVersion = 2;

private:
  std::shared_ptr<const ResultsBackend> backend_;
  std::string shown_;
};

}  // namespace endcap
