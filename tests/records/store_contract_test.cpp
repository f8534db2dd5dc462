// What every kind of results store promises, the same cases run against an SQLite file and a
// PostgreSQL database on a throwaway server: what is stored comes back, the later store wins,
// a calibration is one transaction (a refused row or a lost connection leaves none of it), an
// unreachable or newer store says why, and several stations writing at once lose nothing.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <thread>

#include "records/copy_results.h"
#include "records/results_store.h"
#include "tests/records/stored_row.h"
#include "tests/support/postgres_server.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

using testing::PostgresServer;
using testing::Row;
using testing::TempDir;

// What differs between the kinds: where a fresh store is, and how a case reaches into it.
struct StoreKind {
  const char* name;
  // Makes a row whose text is 'poison' fail with "refused by the test".
  const char* refuseTrigger;
  // Makes a row whose text is 'cut' lose the connection; none for a file.
  const char* cutTrigger;
  const char* newerLayout;
};

const StoreKind kKinds[] = {
    {"sqlite",
     "CREATE TRIGGER refuse BEFORE INSERT ON certificate_results WHEN NEW.text = 'poison'"
     " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;",
     nullptr, "PRAGMA user_version = 99"},
    {"postgresql",
     "CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN"
     " IF NEW.text = 'poison' THEN RAISE EXCEPTION 'refused by the test'; END IF; RETURN NEW; END$$;"
     "CREATE TRIGGER refuse BEFORE INSERT ON certificate_results FOR EACH ROW EXECUTE FUNCTION refuse();",
     "CREATE FUNCTION cut() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN"
     " IF NEW.text = 'cut' THEN PERFORM pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(5); END IF;"
     " RETURN NEW; END$$;"
     "CREATE TRIGGER cut BEFORE INSERT ON certificate_results FOR EACH ROW EXECUTE FUNCTION cut();",
     "UPDATE endcap_schema SET version = 99"},
};

void PrintTo(const StoreKind& kind, std::ostream* os) { *os << kind.name; }

class StoreContractTest : public ::testing::TestWithParam<StoreKind> {
protected:
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!OnServer()) {
      location_ = dir_.path() + "/CalibrationResults.sqlite";
      return;
    }
    ASSERT_TRUE(Server()) << server_->why();
    static int databases = 0;
    database_ = "results_" + std::to_string(++databases);
    location_ = server_->NewDatabase(database_);
    ASSERT_NE(location_, "") << server_->why();
  }

  bool OnServer() const { return std::string(GetParam().name) == "postgresql"; }
  static bool Server() {
    if (server_) return true;
    server_ = std::make_unique<PostgresServer>();
    return server_->Start();
  }

  // Statements in the store, as its owner; the layout is made first by storing another unit.
  void Sql(const std::string& sql) {
    ASSERT_TRUE(store().Store({Row("000000-000", "3.02.01", "layout")}, error)) << error;
    if (OnServer()) {
      ASSERT_TRUE(server_->Execute(database_, sql)) << server_->why();
      return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(location_.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  std::vector<StoredResult> Listed(const std::string& serial) {
    std::vector<StoredResult> rows;
    EXPECT_TRUE(store().List(serial, rows, error)) << error;
    return rows;
  }
  ResultsStore store() const { return ResultsStore(location_); }

  static std::unique_ptr<PostgresServer> server_;
  TempDir dir_;
  std::string database_;
  std::string location_;
  std::string error;
};

std::unique_ptr<PostgresServer> StoreContractTest::server_;

TEST_P(StoreContractTest, AResultComesBackExactlyForItsSerialAndKeyOnly) {
  StoredResult row = Row("123456-001", "3.03.01", "Pitch 0.001 Roll -0.002, with a ' quote", 4000000001.0);
  row.result.value2 = 0.1;
  StoredResult none = Row("123456-001", "3.05.01", "Applied 0.000 no reading");
  none.result.passFlag = 0;
  none.result.noValue = true;
  ASSERT_TRUE(store().Store({row, none, Row("123456-002", "3.03.01", "other unit")}, error)) << error;
  std::map<std::string, CertificateResult> newest;
  ASSERT_TRUE(store().Newest("123456-001", newest, error)) << error;
  EXPECT_EQ(newest, (std::map<std::string, CertificateResult>{{"3.03.01", row.result}, {"3.05.01", none.result}}));
}

TEST_P(StoreContractTest, TheLaterStoreWinsWhateverTheStationClockSaidAndTheListRunsOldestFirst) {
  ASSERT_TRUE(store().Store({Row("123456-001", "3.04.04", "first", 10.0, "2099-01-01 00:00:00"),
                             Row("123456-001", "3.04.01", "maker")},
                            error))
      << error;
  ASSERT_TRUE(store().Store({Row("123456-001", "3.04.04", "second", 20.0, "2001-01-01 00:00:00")}, error)) << error;
  std::map<std::string, CertificateResult> newest;
  ASSERT_TRUE(store().Newest("123456-001", newest, error)) << error;
  ASSERT_EQ(newest.size(), 2u);
  EXPECT_EQ(newest["3.04.04"].text, "second");
  EXPECT_EQ(newest["3.04.01"].text, "maker");
  std::string listing;
  for (const StoredResult& r : Listed("123456-001")) listing += r.key + " " + r.result.text + "\n";
  EXPECT_EQ(listing, "3.04.01 maker\n3.04.04 first\n3.04.04 second\n");
}

TEST_P(StoreContractTest, ACalibrationWithARefusedRowStoresNoneOfIt) {
  Sql(GetParam().refuseTrigger);
  EXPECT_FALSE(store().Store({Row("123456-001", "3.04.01", "maker"), Row("123456-001", "3.04.02", "poison")}, error));
  EXPECT_EQ(error, "refused by the test");
  EXPECT_TRUE(Listed("123456-001").empty());
}

TEST_P(StoreContractTest, AConnectionLostMidStoreSaysSoAndStoresNoneOfIt) {
  if (!GetParam().cutTrigger) GTEST_SKIP() << "a file has no connection to lose";
  Sql(GetParam().cutTrigger);
  EXPECT_FALSE(store().Store({Row("123456-001", "3.04.01", "maker"), Row("123456-001", "3.04.02", "cut")}, error));
  EXPECT_EQ(error, "the connection to the server was lost: terminating connection due to administrator command");
  EXPECT_TRUE(Listed("123456-001").empty());
}

TEST_P(StoreContractTest, AStoreOfANewerLayoutIsRefused) {
  Sql(GetParam().newerLayout);
  EXPECT_FALSE(store().Store({Row("1", "k", "t")}, error));
  EXPECT_EQ(error, "the store was written by a newer station (layout 99)");
  std::map<std::string, CertificateResult> newest;
  EXPECT_FALSE(store().Newest("1", newest, error));
  EXPECT_EQ(error, "the store was written by a newer station (layout 99)");
  int version = 0;
  EXPECT_TRUE(store().Version(version, error)) << error;
  EXPECT_EQ(version, 99);
}

// Four stations: two on units of their own, two on the same unit. A calibration's results are
// never mixed with another's: the newest of the shared unit is one writer's last, whole.
TEST_P(StoreContractTest, StationsWritingAtOnceLoseAndMixNothing) {
  constexpr int kBatches = 20;
  constexpr int kBatchSize = 18;
  const std::string serials[] = {"111111-001", "222222-002", "333333-003", "333333-003"};
  std::string failures[4];
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w)
    writers.emplace_back([&, w] {
      const ResultsStore own(location_);
      for (int b = 0; b < kBatches; ++b) {
        std::vector<StoredResult> batch;
        for (int i = 0; i < kBatchSize; ++i)
          batch.push_back(Row(serials[w], "3.03." + std::to_string(10 + i), std::to_string(w) + "/" + std::to_string(b)));
        std::string why;
        if (!own.Store(batch, why)) failures[w] += why + ";";
      }
    });
  for (std::thread& t : writers) t.join();
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");
  EXPECT_EQ(Listed("111111-001").size(), static_cast<size_t>(kBatches * kBatchSize));
  EXPECT_EQ(Listed("333333-003").size(), static_cast<size_t>(2 * kBatches * kBatchSize));
  std::map<std::string, CertificateResult> newest;
  ASSERT_TRUE(store().Newest("333333-003", newest, error)) << error;
  ASSERT_EQ(newest.size(), static_cast<size_t>(kBatchSize));
  const std::string last = newest.begin()->second.text;
  EXPECT_TRUE(last == "2/19" || last == "3/19") << last;
  for (const auto& [key, result] : newest) EXPECT_EQ(result.text, last) << key;
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreContractTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<StoreKind>& info) { return std::string(info.param.name); });

// A lab moving its files into the server, and back: every result keeps its stored time, and a
// second copy finds everything there.
TEST(StoreCopyTest, ResultsMoveIntoTheServerAndBackKeepingTheirTimesOnce) {
  PostgresServer server;
  ASSERT_TRUE(server.Start()) << server.why();
  const ResultsStore lab(server.NewDatabase("lab"));
  TempDir dir;
  const ResultsStore file(dir.path() + "/station.sqlite"), back(dir.path() + "/back.sqlite");
  std::string error;
  ASSERT_TRUE(file.Store({Row("123456-001", "3.04.04", "older", 1.0, "2024-02-01 08:00:00"),
                          Row("123456-001", "3.04.04", "newer", 2.0, "2024-02-03 08:00:00")},
                         error))
      << error;
  ASSERT_TRUE(lab.Store({Row("123456-001", "3.04.04", "on the server", 3.0)}, error)) << error;
  CopyCount count;
  ASSERT_TRUE(CopyResults(file, lab, count, error)) << error;
  EXPECT_EQ(count.copied, 2u);
  ASSERT_TRUE(CopyResults(file, lab, count, error)) << error;
  EXPECT_EQ(count.copied, 0u);
  EXPECT_EQ(count.alreadyThere, 2u);
  std::vector<StoredResult> rows;
  ASSERT_TRUE(lab.List("123456-001", rows, error)) << error;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].storedAt + " " + rows[0].result.text, "2024-02-01 08:00:00 older");
  EXPECT_EQ(rows[1].storedAt + " " + rows[1].result.text, "2024-02-03 08:00:00 newer");
  EXPECT_EQ(rows[2].result.text, "on the server");

  ASSERT_TRUE(CopyResults(lab, back, count, error)) << error;
  EXPECT_EQ(count.copied, 3u);
  std::vector<StoredResult> copied;
  ASSERT_TRUE(back.List("123456-001", copied, error)) << error;
  ASSERT_EQ(copied.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(copied[i].storedAt + copied[i].result.text, rows[i].storedAt + rows[i].result.text);
  ASSERT_TRUE(CopyResults(back, lab, count, error)) << error;
  EXPECT_EQ(count.copied, 0u);

  EXPECT_FALSE(CopyResults(ResultsStore(dir.path() + "/none.sqlite"), lab, count, error));
  EXPECT_EQ(error, dir.path() + "/none.sqlite: No such file or directory");
}

}  // namespace
}  // namespace endcap
