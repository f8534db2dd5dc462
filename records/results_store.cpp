#include "records/results_store.h"

#include "records/postgres_results_store.h"
#include "records/results_backend.h"
#include "records/sqlite_results_store.h"
#include "records/store_location.h"

namespace endcap {

namespace {

constexpr const char* kStoreFileName = "CalibrationResults.sqlite";

std::shared_ptr<const ResultsBackend> BackendAt(const std::string& location) {
  if (IsServerLocation(location)) return std::make_shared<PostgresResultsStore>(location);
  return std::make_shared<SqliteResultsStore>(location);
}

}  // namespace

bool TooNew(int version, std::string& error) {
  if (version <= ResultsStore::kSchemaVersion) return false;
  error = "the store was written by a newer station (layout " + std::to_string(version) + ")";
  return true;
}

std::string DefaultResultsStorePath(const std::string& statusFolder) { return statusFolder + "/" + kStoreFileName; }

ResultsStore::ResultsStore(std::string location)
    : backend_(BackendAt(location)), shown_(MaskedLocation(location)) {}

bool ResultsStore::Store(const std::vector<StoredResult>& results, std::string& error) const {
  error.clear();
  return backend_->Store(results, false, error);
}

bool ResultsStore::StoreCopies(const std::vector<StoredResult>& results, std::string& error) const {
  error.clear();
  return backend_->Store(results, true, error);
}

bool ResultsStore::Newest(const std::string& unitSerial, std::map<std::string, CertificateResult>& newest,
                          std::string& error) const {
  error.clear();
  newest.clear();
  std::vector<StoredResult> rows;
  if (!backend_->Read(&unitSerial, true, rows, error)) return false;
  // Within a key the rows run oldest first: the last one stays.
  for (StoredResult& row : rows) newest[row.key] = std::move(row.result);
  return true;
}

bool ResultsStore::List(const std::string& unitSerial, std::vector<StoredResult>& results, std::string& error) const {
  error.clear();
  results.clear();
  return backend_->Read(&unitSerial, false, results, error);
}

bool ResultsStore::ListAll(std::vector<StoredResult>& results, bool mustExist, std::string& error) const {
  error.clear();
  results.clear();
  return backend_->Read(nullptr, mustExist, results, error);
}

bool ResultsStore::Version(int& version, std::string& error) const {
  error.clear();
  version = 0;
  return backend_->Version(version, error);
}

}  // namespace endcap
