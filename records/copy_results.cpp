#include "records/copy_results.h"

#include <set>

#include "serial/text_format.h"

namespace endcap {

namespace {

// Everything a result holds, the stored time to the second as both stores give it.
std::string Identity(const StoredResult& row) {
  const CertificateResult& r = row.result;
  const std::string value = r.noValue ? "none" : Format("%.17g", r.value);
  return row.unitSerial + '\x1f' + row.key + '\x1f' + Format("%d/%d/%d", r.day, r.month, r.year) + '\x1f' + r.name +
         '\x1f' + std::to_string(r.passFlag) + '\x1f' + value + '\x1f' + Format("%.17g %.17g", r.value2, r.value3) +
         '\x1f' + r.text + '\x1f' + row.storedAt;
}

bool Failed(const ResultsStore& store, const std::string& why, std::string& error) {
  error = store.path() + ": " + why;
  return false;
}

}  // namespace

bool CopyResults(const ResultsStore& from, const ResultsStore& to, CopyCount& count, std::string& error) {
  count = CopyCount();
  std::vector<StoredResult> source, present;
  std::string why;
  if (!from.ListAll(source, true, why)) return Failed(from, why, error);
  if (!to.ListAll(present, false, why)) return Failed(to, why, error);
  std::set<std::string> held;
  for (const StoredResult& row : present) held.insert(Identity(row));
  std::vector<StoredResult> missing;
  for (StoredResult& row : source)
    if (held.insert(Identity(row)).second) missing.push_back(std::move(row));
  if (!missing.empty() && !to.StoreCopies(missing, why)) return Failed(to, why, error);
  count.copied = missing.size();
  count.alreadyThere = source.size() - missing.size();
  return true;
}

}  // namespace endcap
