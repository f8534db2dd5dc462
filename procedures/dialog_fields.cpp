#include "procedures/dialog_fields.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "operator/operator_interface.h"
#include "unit/unit_client.h"

namespace endcap {

bool ParseIntegerField(const std::string& text, int32_t& value) {
  const char* begin = text.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (!std::isdigit(static_cast<unsigned char>(begin[*begin == '-' || *begin == '+' ? 1 : 0]))) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

int32_t TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(value);
}

bool StopForLostUnit(UnitClient& client, OperatorInterface& op) {
  if (!client.UnitLost()) return false;
  op.ShowMessage(DialogBox(client.UnitLostText()));
  return true;
}

bool BenchStepDone(OperatorInterface& op, const std::string& text, const std::string& caption) {
  return op.ShowMessage(BenchStepBox(text, caption)) != BoxAnswer::Cancel;
}

}  // namespace endcap
