// The PCB test's results in the store: each check that ran under its own key, filed under the
// board serial, with what it was given or measured and its verdict.

#include "records/pcb_test_items.h"

#include <gtest/gtest.h>

#include "serial/text_format.h"
#include "tests/records/recording_fixture.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

class PcbItemsTest : public testing::RecordingTest {
protected:
  PcbItemsTest() {
    settings.recordFolder = dir.path();
    settings.operatorId = "AB";
    unit.unitSerial = "000000-000";
    unit.boardSerial = "654321-002";
    clock.SetDate({2026, 3, 7, 9, 5, 30});
  }
  std::string Listing() {
    std::vector<StoredResult> rows;
    std::string error;
    EXPECT_TRUE(ResultsStoreOf(settings).List("654321-002", rows, error)) << error;
    std::string listing;
    for (const StoredResult& r : rows)
      listing += r.key + "|" + r.result.name + "|" + Format("%d/%d/%d", r.result.day, r.result.month, r.result.year) +
                 "|" + std::to_string(r.result.passFlag) + "|" +
                 (r.result.noValue ? "none" : Format("%g", r.result.value)) +
                 Format("|%g|%g|", r.result.value2, r.result.value3) + r.result.text + "\n";
    return listing;
  }
  testing::TempDir dir;
  PcbTestRun run;
};

TEST_F(PcbItemsTest, EachCheckRunIsStoredUnderItsKeyWithItsValuesAndVerdict) {
  run.serialResult = kCheckPassed;
  run.serialEntered = "654321-2";
  run.suppliesResult = kCheckFailed;
  run.boardSupplies = {-12.04, 12.03, 3.29};
  run.externalSupplies = {-11.97, kNotMeasured, kNotMeasured};
  run.currentResult = kCheckPassed;
  run.unloadedCurrentMa = 30.0;
  run.loadedCurrentMa = 100.5;
  run.internalRs485Result = kCheckFailed;
  run.loopReadBack = {0x01AA, kNotMeasured};
  run.rs485CommsResult = kCheckPassed;
  run.overallResult = kCheckFailed;
  EXPECT_EQ(RecordPcbTest(settings, unit, run, op, client.clock()), "");
  EXPECT_EQ(Listing(),
            "PCB.01|AB|7/3/26|1|0|0|0|654321-2\n"
            "PCB.02|AB|7/3/26|0|12.03|-12.04|3.29|board +12V 12.03 -12V -12.04 3.3V 3.29, external +12V no reading "
            "-12V -11.97\n"
            "PCB.03|AB|7/3/26|1|30|100.5|0|unloaded 30.0 mA, loaded 100.5 mA\n"
            "PCB.04|AB|7/3/26|0|426|0|0|read back 0x01AA, no reading\n"
            "PCB.05|AB|7/3/26|1|0|0|0|\n"
            "PCB.06|AB|7/3/26|0|0|0|0|\n");
}

TEST_F(PcbItemsTest, OnlyTheChecksRunAreStoredAndAStoreThatCannotTakeThemIsTold) {
  EXPECT_EQ(RecordPcbTest(settings, unit, run, op, client.clock()), "");
  EXPECT_EQ(Listing(), "");
  run.rs485CommsResult = kCheckFailed;  // left with Esc: no overall verdict
  EXPECT_EQ(RecordPcbTest(settings, unit, run, op, client.clock()), "");
  EXPECT_EQ(Listing(), "PCB.05|AB|7/3/26|0|0|0|0|\n");

  settings.resultsStorePath = dir.path();  // a directory: no database can be opened there
  op.ExpectUnownedBox("Unable to store the PCB test results in " + dir.path() +
                      "\r\nunable to open database file (Is a directory)\r\n"
                      "The verdict shown and the factory record in the unit stand.");
  EXPECT_EQ(RecordPcbTest(settings, unit, run, op, client.clock()),
            dir.path() + ": unable to open database file (Is a directory)");
  op.VerifyDone();
}

}  // namespace
}  // namespace endcap
