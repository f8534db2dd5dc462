#pragma once
// The results store: an embedded SQLite database of certificate results, one row per stored
// result, the newest row of a unit serial and item key winning. The database is opened for
// each use and closed again, and every write is one transaction, so a crash or a second
// station writing at the same time never leaves half a calibration in it.

#include <map>
#include <string>
#include <vector>

#include "unit/certificate_result.h"

namespace endcap {

struct StoredResult {
  std::string unitSerial;
  std::string key;
  CertificateResult result;
  std::string storedAt;  // local time of storing, "YYYY-MM-DD hh:mm:ss"
};

// "CalibrationResults.sqlite" in the status folder.
std::string DefaultResultsStorePath(const std::string& statusFolder);

class ResultsStore {
public:
  explicit ResultsStore(std::string path) : path_(std::move(path)) {}

  // Stores every result in one transaction, creating the database when it does not exist;
  // false with the reason in error, and then nothing of them is stored.
  bool Store(const std::vector<StoredResult>& results, std::string& error) const;
  // The newest result of each key of serial, in one read, so that a locked store costs one
  // wait. A store that does not exist is a failure here: a sheet must not be made from it.
  bool Newest(const std::string& unitSerial, std::map<std::string, CertificateResult>& newest,
              std::string& error) const;
  // Every result of serial, in key order and, within a key, in the order stored. A store that
  // does not exist yet holds nothing, and the call succeeds.
  bool List(const std::string& unitSerial, std::vector<StoredResult>& results, std::string& error) const;

  const std::string& path() const { return path_; }

  // The layout this station writes and reads (the database's user_version).
  static constexpr int kSchemaVersion = 2;

private:
  std::string path_;
};

}  // namespace endcap
