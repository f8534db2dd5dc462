// The JSON that info --json and results --json print: the writer's escaping and layout, and
// the unit's state as values.

#include <gtest/gtest.h>

#include <limits>

#include "cli/json_writer.h"
#include "cli/unit_info_json.h"

namespace endcap {
namespace {

TEST(JsonWriterTest, EscapesEveryStringAsJsonRequires) {
  const std::pair<std::string, std::string> rows[] = {
      {"plain", "\"plain\""},
      {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
      {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
      {std::string("nul\0bell\a", 9) + "\x7f", "\"nul\\u0000bell\\u0007\\u007f\""},
      {"Grad \xc2\xb0 \xe2\x82\xac \xf0\x9f\x99\x82", "\"Grad \xc2\xb0 \xe2\x82\xac \xf0\x9f\x99\x82\""},
      // Bytes that are no UTF-8: Latin-1 degree sign, a cut sequence, an overlong slash, a surrogate.
      {"\xb0 \xe2\x82 \xc0\xaf \xed\xa0\x80", "\"\\u00b0 \\u00e2\\u0082 \\u00c0\\u00af \\u00ed\\u00a0\\u0080\""},
  };
  for (const auto& [text, json] : rows) EXPECT_EQ(JsonString(text), json) << json;
}

TEST(JsonWriterTest, NestsWithCommasBetweenItemsOnly) {
  JsonWriter json;
  json.BeginObject().Key("a").BeginArray().EndArray().Key("b").BeginArray().Integer(-3).Bool(true).Null();
  json.BeginObject().EndObject().Number(0.1).Number(2.0).Number(1e300).Number(1.0 / 3.0);
  json.Number(std::numeric_limits<double>::quiet_NaN()).Single(0.1f).Single(16777217.0f).EndArray();
  json.Key("c").String("").EndObject();
  EXPECT_EQ(json.text(),
            "{\"a\":[],\"b\":[-3,true,null,{},0.1,2,1e+300,0.33333333333333331,null,0.1,16777216],\"c\":\"\"}");
}

TEST(UnitInfoJsonTest, IdentitySettingsAndCalibrationRecordsAsValues) {
  UnitState unit;
  unit.unitSerial = "123456-007";
  unit.boardSerial = "654321-001";
  unit.firmwareMajor = 1;
  unit.firmwareMinor = 2;
  unit.firmwareLetter = 'A';
  unit.pcbDrawing[0] = 6120;
  unit.pcbDrawing[1] = 47;
  unit.pcbDrawing[2] = 1;
  unit.modbusAddress = 250;
  unit.unitCurrentMa = 72;
  unit.fittedSensors = 3;
  unit.enabledSensors = 1;
  unit.inclinometerFullScaleDeg = 90.0;
  unit.inclinometerAccuracyPercent = 0.1f;
  unit.inclinometerWarmUpTenths = 35;
  unit.inclinometerSamples = 10;
  unit.gaugeSerialNo = 4711;
  unit.gaugeFullScaleBar = 100.0;
  unit.gaugeAccuracyPercent = 0.05;
  unit.strainGaugeWarmUpTenths = 3;
  unit.calRecords[kInclinometerCalKind] = {kInclinometerCalKind, 9, 12, 26, {'A', 'B', 'C', 'D'}, 1};
  EXPECT_EQ(UnitInfoJson(unit),
            "{\"unit_serial\":\"123456-007\",\"board_serial\":\"654321-001\","
            "\"firmware\":{\"major\":1,\"minor\":2,\"letter\":\"A\"},\"pcb_drawing\":[6120,47,1],"
            "\"modbus_address\":250,\"unit_current_ma\":72,"
            "\"inclinometer\":{\"fitted\":true,\"enabled\":true,\"full_scale_deg\":90,\"accuracy_percent\":0.1,"
            "\"warm_up_s\":3.5,\"samples\":10},"
            "\"strain_gauge\":{\"fitted\":true,\"enabled\":false,\"serial_number\":4711,\"full_scale_bar\":100,"
            "\"accuracy_percent\":0.05,\"warm_up_s\":0.3},"
            "\"calibrations\":{\"factory\":{\"done\":false},"
            "\"inclinometer\":{\"done\":true,\"date\":\"2026-12-09\",\"operator\":\"ABC\"},"
            "\"pressure\":{\"done\":false}}}");
}

}  // namespace
}  // namespace endcap
