#pragma once
// The unit's client and copy on the in-memory line, with the station's record settings beside
// them, for the record operations.

#include "records/cal_sheet_dialog.h"
#include "records/certificate_items.h"
#include "records/record_settings.h"
#include "records/results_record.h"
#include "tests/unit/client_fixture.h"

namespace endcap::testing {

class RecordingTest : public UnitClientTest {
protected:
  RecordSettings settings;
};

}  // namespace endcap::testing
