#include "cli/unit_info_json.h"

#include <algorithm>

#include "cli/json_writer.h"
#include "protocol/register_map.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

void Sensor(JsonWriter& json, const UnitState& unit, uint16_t mask) {
  json.Key("fitted").Bool((unit.fittedSensors & mask) != 0).Key("enabled").Bool((unit.enabledSensors & mask) != 0);
}

void Calibration(JsonWriter& json, const char* name, const CalRecord& record) {
  json.Key(name).BeginObject().Key("done").Bool(record.Done());
  if (record.Done()) {
    json.Key("date").String(Format("%04d-%02d-%02d", record.year + 2000, record.month, record.day));
    json.Key("operator").String(std::string(record.letters, std::find(record.letters, record.letters + 3, '\0')));
  }
  json.EndObject();
}

}  // namespace

std::string UnitInfoJson(const UnitState& unit) {
  JsonWriter json;
  json.BeginObject();
  json.Key("unit_serial").String(unit.unitSerial).Key("board_serial").String(unit.boardSerial);
  json.Key("firmware").BeginObject().Key("major").Integer(unit.firmwareMajor).Key("minor").Integer(unit.firmwareMinor);
  json.Key("letter").String(unit.firmwareLetter == '\0' ? std::string() : std::string(1, unit.firmwareLetter)).EndObject();
  json.Key("pcb_drawing").BeginArray();
  for (const int32_t part : unit.pcbDrawing) json.Integer(part);
  json.EndArray();
  json.Key("modbus_address").Integer(unit.modbusAddress).Key("unit_current_ma").Integer(unit.unitCurrentMa);

  // The unit keeps its full scales and accuracies as single-precision floats.
  json.Key("inclinometer").BeginObject();
  Sensor(json, unit, reg::kSensorInclinometer);
  json.Key("full_scale_deg").Single(static_cast<float>(unit.inclinometerFullScaleDeg));
  json.Key("accuracy_percent").Single(static_cast<float>(unit.inclinometerAccuracyPercent));
  json.Key("warm_up_s").Number(unit.inclinometerWarmUpTenths / 10.0).Key("samples").Integer(unit.inclinometerSamples);
  json.EndObject();

  json.Key("strain_gauge").BeginObject();
  Sensor(json, unit, reg::kSensorStrainGauge);
  json.Key("serial_number").Integer(unit.gaugeSerialNo).Key("full_scale_bar").Single(static_cast<float>(unit.gaugeFullScaleBar));
  json.Key("accuracy_percent").Single(static_cast<float>(unit.gaugeAccuracyPercent));
  json.Key("warm_up_s").Number(unit.strainGaugeWarmUpTenths / 10.0);
  json.EndObject();

  json.Key("calibrations").BeginObject();
  Calibration(json, "factory", unit.calRecords[kFactoryCal]);
  Calibration(json, "inclinometer", unit.calRecords[kInclinometerCalKind]);
  Calibration(json, "pressure", unit.calRecords[kPressureCalKind]);
  json.EndObject();
  json.EndObject();
  return json.text();
}

}  // namespace endcap
