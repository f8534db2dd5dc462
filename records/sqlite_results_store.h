#pragma once
// The results store in an SQLite file, opened for each use: what a single station keeps in
// its status folder.

#include <string>

#include "records/results_backend.h"

namespace endcap {

class SqliteResultsStore : public ResultsBackend {
public:
  explicit SqliteResultsStore(std::string path) : path_(std::move(path)) {}

  bool Store(const std::vector<StoredResult>& rows, bool keepTimes, std::string& error) const override;
  bool Read(const std::string* serial, bool mustExist, std::vector<StoredResult>& rows,
            std::string& error) const override;
  bool Version(int& version, std::string& error) const override;

private:
  std::string path_;
};

}  // namespace endcap
