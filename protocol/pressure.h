#pragma once
// Pressure as the unit and the station count it: the unit reads psi, the gauges' full scale is
// given in bar and the room's air pressure in millibar.

namespace endcap {

constexpr double kPsiPerBar = 14.50377;
constexpr double kPsiPerMillibar = 0.01450377;

// What the unit puts in both pressure values (registers 307-310) while it has no ready value.
constexpr float kPressureNotReadyMark = -1000.0f;
// The station takes a value below this for the unit's not-ready mark rather than a reading:
// well above the mark, well below any pressure a gauge gives.
constexpr double kLowestReadyPressure = -500.0;

}  // namespace endcap
