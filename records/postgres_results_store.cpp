#include "records/postgres_results_store.h"

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>
#include <algorithm>
#include <memory>

namespace endcap {

namespace {

// The writers' queue: an advisory lock that every station's store takes by this number.
constexpr const char* kWritersLock = "6120047";
// Rows per INSERT: twelve parameters each, well below the protocol's 65535.
constexpr size_t kRowsPerInsert = 1000;

constexpr const char* kCreateLayout =
    "CREATE TABLE certificate_results ("
    " id bigserial PRIMARY KEY,"
    " unit_serial text NOT NULL,"
    " item_key text NOT NULL,"
    " day smallint NOT NULL,"
    " month smallint NOT NULL,"
    " year smallint NOT NULL,"
    " name text NOT NULL,"
    " pass_flag smallint NOT NULL,"
    " value double precision,"
    " value2 double precision NOT NULL,"
    " value3 double precision NOT NULL,"
    " text text NOT NULL,"
    " stored_at timestamptz NOT NULL);"
    "CREATE INDEX certificate_results_by_item ON certificate_results (unit_serial, item_key, stored_at, id);"
    "CREATE TABLE endcap_schema (version integer NOT NULL);";

using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;

// libpq's messages span lines ("...failed: reason\n\tIs the server running..."): one line here.
std::string OneLine(const char* message) {
  std::string text;
  for (const char* c = message; c && *c; ++c) {
    if (*c == '\t') continue;
    if (*c == '\n') {
      if (!text.empty() && text.back() != ' ') text += ' ';
      continue;
    }
    text += *c;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The first line of a message, without its severity ("FATAL:  "): what went wrong, without the
// context and hints that follow.
std::string FirstLine(const char* message) {
  std::string text = message ? message : "";
  text = text.substr(0, text.find('\n'));
  const size_t severity = text.find(":  ");
  if (severity != std::string::npos && text.find(' ') > severity) text.erase(0, severity + 3);
  return text;
}

void IgnoreNotice(void*, const char*) {}

// One connection, closed when it goes out of scope: a transaction not committed by then is
// rolled back by the server.
class Connection {
public:
  ~Connection() {
    if (conn_) PQfinish(conn_);
  }

  bool Open(const std::string& uri, std::string& error) {
    std::vector<const char*> keys, values;
    // The URI comes last: what it says wins over these defaults.
    if (!std::getenv("PGCONNECT_TIMEOUT")) Add(keys, values, "connect_timeout", "10");
    // A server that stops answering mid-store is given up after about ten seconds too.
    Add(keys, values, "tcp_user_timeout", "10000");
    Add(keys, values, "keepalives_idle", "5");
    Add(keys, values, "keepalives_interval", "2");
    Add(keys, values, "keepalives_count", "3");
    Add(keys, values, "fallback_application_name", "endcap-station");
    Add(keys, values, "dbname", uri.c_str());
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!conn_) {
      error = "out of memory";
      return false;
    }
    if (PQstatus(conn_) != CONNECTION_OK) {
      error = OneLine(PQerrorMessage(conn_));
      return false;
    }
    PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
    return true;
  }

  // A statement whose values all go as parameters; null for a failure, with the reason.
  Result Query(const std::string& sql, const std::vector<const char*>& params, std::string& error) {
    Result result(PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr, params.data(), nullptr,
                               nullptr, 0),
                  PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    if (error.empty()) {
      const char* primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
      if (PQstatus(conn_) == CONNECTION_BAD)
        error = "the connection to the server was lost: " + FirstLine(PQerrorMessage(conn_));
      else
        error = OneLine(primary ? primary : PQerrorMessage(conn_));
    }
    return Result(nullptr, PQclear);
  }
  bool Run(const std::string& sql, const std::vector<const char*>& params, std::string& error) {
    return Query(sql, params, error) != nullptr;
  }
  // Several statements without values, such as the layout.
  bool Script(const char* sql, std::string& error) {
    Result result(PQexec(conn_, sql), PQclear);
    if (PQresultStatus(result.get()) == PGRES_COMMAND_OK) return true;
    if (error.empty()) error = OneLine(PQerrorMessage(conn_));
    return false;
  }

private:
  static void Add(std::vector<const char*>& keys, std::vector<const char*>& values, const char* key,
                  const char* value) {
    keys.push_back(key);
    values.push_back(value);
  }

  PGconn* conn_ = nullptr;
};

// The layout version; 0 when the database holds no results table yet.
bool ReadVersion(Connection& db, int& version, std::string& error) {
  version = 0;
  Result exists = db.Query("SELECT to_regclass('endcap_schema') IS NOT NULL", {}, error);
  if (!exists) return false;
  if (PQgetvalue(exists.get(), 0, 0)[0] != 't') return true;
  Result read = db.Query("SELECT max(version) FROM endcap_schema", {}, error);
  if (!read) return false;
  version = std::atoi(PQgetvalue(read.get(), 0, 0));
  return true;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// Seconds since 1970 of a stored time as this station's local time.
bool EpochOf(const std::string& storedAt, std::string& epoch, std::string& error) {
  std::tm local{};
  if (std::sscanf(storedAt.c_str(), "%d-%d-%d %d:%d:%d", &local.tm_year, &local.tm_mon, &local.tm_mday,
                  &local.tm_hour, &local.tm_min, &local.tm_sec) != 6) {
    error = "the stored time \"" + storedAt + "\" cannot be read";
    return false;
  }
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  epoch = std::to_string(static_cast<long long>(std::mktime(&local)));
  return true;
}

std::string LocalTimeOf(const char* epoch) {
  const std::time_t seconds = static_cast<std::time_t>(std::atoll(epoch));
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// One INSERT of rows [from, to): a row's stored time is the server's clock unless kept.
bool InsertRows(Connection& db, const std::vector<StoredResult>& rows, size_t from, size_t to, bool keepTimes,
                std::string& error) {
  std::vector<std::string> texts;
  std::vector<bool> isNull;
  std::string sql =
      "INSERT INTO certificate_results (unit_serial, item_key, day, month, year, name, pass_flag, value, value2,"
      " value3, text, stored_at) VALUES ";
  for (size_t i = from; i < to; ++i) {
    const StoredResult& row = rows[i];
    const CertificateResult& r = row.result;
    sql += i == from ? "(" : ", (";
    for (int c = 0; c < 11; ++c) sql += "$" + std::to_string(texts.size() + 1 + c) + ", ";
    texts.insert(texts.end(), {row.unitSerial, row.key, std::to_string(r.day), std::to_string(r.month),
                               std::to_string(r.year), r.name, std::to_string(r.passFlag), Number(r.value),
                               Number(r.value2), Number(r.value3), r.text});
    isNull.insert(isNull.end(), {false, false, false, false, false, false, false, r.noValue, false, false, false});
    if (!keepTimes) {
      sql += "clock_timestamp())";
      continue;
    }
    std::string epoch;
    if (!EpochOf(row.storedAt, epoch, error)) return false;
    texts.push_back(epoch);
    isNull.push_back(false);
    sql += "to_timestamp($" + std::to_string(texts.size()) + "::bigint))";
  }
  std::vector<const char*> params;
  for (size_t i = 0; i < texts.size(); ++i) params.push_back(isNull[i] ? nullptr : texts[i].c_str());
  return db.Run(sql, params, error);
}

}  // namespace

bool PostgresResultsStore::Store(const std::vector<StoredResult>& rows, bool keepTimes, std::string& error) const {
  Connection db;
  int version = 0;
  bool ok = db.Open(uri_, error) && db.Script("BEGIN", error) &&
            db.Run("SELECT pg_advisory_xact_lock($1::bigint)", {kWritersLock}, error) &&
            ReadVersion(db, version, error) && !TooNew(version, error);
  if (ok && version == 0) {
    const std::string layout = std::to_string(ResultsStore::kSchemaVersion);
    ok = db.Script(kCreateLayout, error) &&
         db.Run("INSERT INTO endcap_schema (version) VALUES ($1)", {layout.c_str()}, error);
  }
  for (size_t from = 0; ok && from < rows.size(); from += kRowsPerInsert)
    ok = InsertRows(db, rows, from, std::min(rows.size(), from + kRowsPerInsert), keepTimes, error);
  return ok && db.Script("COMMIT", error);
}

bool PostgresResultsStore::Read(const std::string* serial, bool, std::vector<StoredResult>& rows,
                                std::string& error) const {
  Connection db;
  int version = 0;
  if (!db.Open(uri_, error) || !ReadVersion(db, version, error) || TooNew(version, error)) return false;
  if (version == 0) return true;
  // Byte order, as a file store sorts.
  Result read = db.Query(std::string("SELECT unit_serial, item_key, day, month, year, name, pass_flag, value, value2,"
                                     " value3, text, floor(extract(epoch FROM stored_at))::bigint"
                                     " FROM certificate_results") +
                             (serial ? " WHERE unit_serial = $1" : "") +
                             " ORDER BY unit_serial COLLATE \"C\", item_key COLLATE \"C\", stored_at, id",
                         serial ? std::vector<const char*>{serial->c_str()} : std::vector<const char*>{}, error);
  if (!read) return false;
  const int count = PQntuples(read.get());
  rows.reserve(rows.size() + static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto cell = [&](int column) { return PQgetvalue(read.get(), i, column); };
    StoredResult row;
    row.unitSerial = cell(0);
    row.key = cell(1);
    CertificateResult& r = row.result;
    r.day = static_cast<uint8_t>(std::atoi(cell(2)));
    r.month = static_cast<uint8_t>(std::atoi(cell(3)));
    r.year = static_cast<uint8_t>(std::atoi(cell(4)));
    r.name = cell(5);
    r.passFlag = static_cast<uint8_t>(std::atoi(cell(6)));
    r.noValue = PQgetisnull(read.get(), i, 7) != 0;
    r.value = r.noValue ? 0.0 : std::strtod(cell(7), nullptr);
    r.value2 = std::strtod(cell(8), nullptr);
    r.value3 = std::strtod(cell(9), nullptr);
    r.text = cell(10);
    row.storedAt = LocalTimeOf(cell(11));
    rows.push_back(std::move(row));
  }
  return true;
}

bool PostgresResultsStore::Version(int& version, std::string& error) const {
  Connection db;
  return db.Open(uri_, error) && ReadVersion(db, version, error);
}

}  // namespace endcap
