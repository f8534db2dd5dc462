#pragma once
// The results store in a PostgreSQL database that several stations share, reached through
// libpq with a connection URI. Writers queue on one lock for the length of their transaction,
// so the server's clock orders their results as they commit, whichever station's clock is
// ahead.

#include <string>

#include "records/results_backend.h"

namespace endcap {

class PostgresResultsStore : public ResultsBackend {
public:
  explicit PostgresResultsStore(std::string uri) : uri_(std::move(uri)) {}

  bool Store(const std::vector<StoredResult>& rows, bool keepTimes, std::string& error) const override;
  bool Read(const std::string* serial, bool mustExist, std::vector<StoredResult>& rows,
            std::string& error) const override;
  bool Version(int& version, std::string& error) const override;

private:
  std::string uri_;
};

}  // namespace endcap
