#pragma once
// A check's chart in Qt Charts: the errors as points, the tolerance band as a shaded area
// around zero, titled with the unit, the day and the operator.

#include <QChart>

#include "records/check_chart.h"

namespace endcap {

// A new chart for a scene or a view to take over.
QChart* MakeCheckChart(const CheckChart& chart);

}  // namespace endcap
