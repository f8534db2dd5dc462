#include "records/sqlite_results_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace endcap {

namespace {

// How long a writer waits for another station's transaction to end before it gives up.
constexpr int kBusyTimeoutMs = 10000;

// A result without a value (no reading came) holds NULL in value.
std::string CreateTable(const char* name) {
  return std::string("CREATE TABLE ") + name +
         " ("
         " id INTEGER PRIMARY KEY AUTOINCREMENT,"
         " unit_serial TEXT NOT NULL,"
         " item_key TEXT NOT NULL,"
         " day INTEGER NOT NULL,"
         " month INTEGER NOT NULL,"
         " year INTEGER NOT NULL,"
         " name TEXT NOT NULL,"
         " pass_flag INTEGER NOT NULL,"
         " value REAL,"
         " value2 REAL NOT NULL,"
         " value3 REAL NOT NULL,"
         " text TEXT NOT NULL,"
         " stored_at TEXT NOT NULL);";
}
constexpr const char* kCreateIndex =
    "CREATE INDEX certificate_results_by_item ON certificate_results (unit_serial, item_key, id);";

// What brings a store of the given layout to this station's.
std::string UpgradeFrom(int version) {
  if (version == 0) return CreateTable("certificate_results") + kCreateIndex;
  // The first layout refused a missing value; its rows move to a table that takes one, with the
  // same columns in the same order.
  return CreateTable("certificate_results_2") +
         "INSERT INTO certificate_results_2 SELECT * FROM certificate_results;"
         "DROP TABLE certificate_results;"
         "ALTER TABLE certificate_results_2 RENAME TO certificate_results;" +
         kCreateIndex;
}

constexpr const char* kColumns = "day, month, year, name, pass_flag, value, value2, value3, text, stored_at, item_key";

// One connection, closed when it goes out of scope; the first failure's reason is kept.
class Database {
public:
  ~Database() {
    if (statement_) sqlite3_finalize(statement_);
    if (db_) sqlite3_close(db_);
  }

  bool Open(const std::string& path, bool write, std::string& error) {
    const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) return Fail(error);
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    return true;
  }

  bool Exec(const char* sql, std::string& error) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail(error);
  }

  // The schema version of the file; 0 for a database without our table.
  bool Version(int& version, std::string& error) {
    if (!Prepare("PRAGMA user_version", error)) return false;
    version = sqlite3_step(statement_) == SQLITE_ROW ? sqlite3_column_int(statement_, 0) : 0;
    return Finish(error);
  }

  bool Prepare(const std::string& sql, std::string& error) {
    if (statement_) sqlite3_finalize(statement_);
    statement_ = nullptr;
    return sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement_, nullptr) == SQLITE_OK || Fail(error);
  }
  sqlite3_stmt* statement() { return statement_; }
  bool Finish(std::string& error) {
    const int rc = sqlite3_finalize(statement_);
    statement_ = nullptr;
    return rc == SQLITE_OK || Fail(error);
  }

  bool Fail(std::string& error) {
    if (!error.empty()) return false;
    error = db_ ? sqlite3_errmsg(db_) : "out of memory";
    if (db_) {
      const int system = sqlite3_system_errno(db_);
      if (system != 0) error += std::string(" (") + std::strerror(system) + ")";
    }
    return false;
  }

private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
  sqlite3_bind_text(s, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt* s, int index) {
  const unsigned char* text = sqlite3_column_text(s, index);
  return text ? reinterpret_cast<const char*>(text) : "";
}

StoredResult ReadRow(sqlite3_stmt* s) {
  StoredResult row;
  CertificateResult& r = row.result;
  r.day = static_cast<uint8_t>(sqlite3_column_int(s, 0));
  r.month = static_cast<uint8_t>(sqlite3_column_int(s, 1));
  r.year = static_cast<uint8_t>(sqlite3_column_int(s, 2));
  r.name = ColumnText(s, 3);
  r.passFlag = static_cast<uint8_t>(sqlite3_column_int(s, 4));
  r.value = sqlite3_column_double(s, 5);
  r.noValue = sqlite3_column_type(s, 5) == SQLITE_NULL;
  r.value2 = sqlite3_column_double(s, 6);
  r.value3 = sqlite3_column_double(s, 7);
  r.text = ColumnText(s, 8);
  row.storedAt = ColumnText(s, 9);
  row.key = ColumnText(s, 10);
  return row;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// Opens an existing store for reading and reads its layout version; 0 (and the call succeeds)
// when there is no store yet.
bool OpenForReading(Database& db, const std::string& path, int& version, std::string& error) {
  version = 0;
  if (!Exists(path)) return true;
  return db.Open(path, false, error) && db.Version(version, error);
}

}  // namespace

bool SqliteResultsStore::Store(const std::vector<StoredResult>& results, bool, std::string& error) const {
  Database db;
  if (!db.Open(path_, true, error) || !db.Exec("BEGIN IMMEDIATE", error)) return false;
  int version = 0;
  bool ok = db.Version(version, error) && !TooNew(version, error);
  if (ok && version < ResultsStore::kSchemaVersion)
    ok = db.Exec(UpgradeFrom(version).c_str(), error) &&
         db.Exec(("PRAGMA user_version = " + std::to_string(ResultsStore::kSchemaVersion)).c_str(), error);
  if (ok)
    ok = db.Prepare("INSERT INTO certificate_results (day, month, year, name, pass_flag, value, value2, value3, text,"
                    " stored_at, item_key, unit_serial) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    error);
  for (size_t i = 0; ok && i < results.size(); ++i) {
    const StoredResult& row = results[i];
    const CertificateResult& r = row.result;
    sqlite3_stmt* s = db.statement();
    sqlite3_reset(s);
    sqlite3_bind_int(s, 1, r.day);
    sqlite3_bind_int(s, 2, r.month);
    sqlite3_bind_int(s, 3, r.year);
    BindText(s, 4, r.name);
    sqlite3_bind_int(s, 5, r.passFlag);
    if (r.noValue)
      sqlite3_bind_null(s, 6);
    else
      sqlite3_bind_double(s, 6, r.value);
    sqlite3_bind_double(s, 7, r.value2);
    sqlite3_bind_double(s, 8, r.value3);
    BindText(s, 9, r.text);
    BindText(s, 10, row.storedAt);
    BindText(s, 11, row.key);
    BindText(s, 12, row.unitSerial);
    ok = sqlite3_step(s) == SQLITE_DONE || db.Fail(error);
  }
  if (ok) ok = db.Finish(error) && db.Exec("COMMIT", error);
  if (!ok) {
    std::string ignored = "rolled back";
    db.Exec("ROLLBACK", ignored);
  }
  return ok;
}

bool SqliteResultsStore::Read(const std::string* serial, bool mustExist, std::vector<StoredResult>& results,
                              std::string& error) const {
  if (mustExist && !Exists(path_)) {
    error = std::strerror(errno);
    return false;
  }
  Database db;
  int version = 0;
  if (!OpenForReading(db, path_, version, error) || TooNew(version, error)) return false;
  if (version == 0) return true;
  // In the order stored: this station's clock may have been set back meanwhile.
  if (!db.Prepare(std::string("SELECT ") + kColumns + ", unit_serial FROM certificate_results" +
                      (serial ? " WHERE unit_serial = ?" : "") + " ORDER BY unit_serial, item_key, id",
                  error))
    return false;
  if (serial) BindText(db.statement(), 1, *serial);
  int rc;
  while ((rc = sqlite3_step(db.statement())) == SQLITE_ROW) {
    StoredResult row = ReadRow(db.statement());
    row.unitSerial = ColumnText(db.statement(), 11);
    results.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) return db.Fail(error);
  return db.Finish(error);
}

bool SqliteResultsStore::Version(int& version, std::string& error) const {
  // A file not yet written opens when its folder takes it.
  const size_t slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
  if (!Exists(path_) && access(folder.c_str(), W_OK) != 0) {
    error = folder + ": " + std::strerror(errno);
    return false;
  }
  Database db;
  return OpenForReading(db, path_, version, error);
}

}  // namespace endcap
