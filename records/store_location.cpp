#include "records/store_location.h"

namespace endcap {

namespace {

constexpr const char* kMask = "****";

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Masks the value of every "password=" parameter of the query part starting at from.
void MaskPasswordParameters(std::string& uri, size_t from) {
  const std::string name = "password=";
  for (size_t at = from; at < uri.size();) {
    const size_t end = uri.find('&', at);
    const size_t stop = end == std::string::npos ? uri.size() : end;
    if (uri.compare(at, name.size(), name) == 0) {
      uri.replace(at + name.size(), stop - at - name.size(), kMask);
      at = uri.find('&', at);
      if (at == std::string::npos) break;
      ++at;
    } else {
      at = stop + 1;
    }
  }
}

}  // namespace

bool IsServerLocation(const std::string& location) {
  return StartsWith(location, "postgresql://") || StartsWith(location, "postgres://");
}

std::string MaskedLocation(const std::string& location) {
  if (!IsServerLocation(location)) return location;
  std::string uri = location;
  const size_t authority = uri.find("://") + 3;
  const size_t authorityEnd = uri.find_first_of("/?", authority);
  const size_t at = uri.rfind('@', authorityEnd == std::string::npos ? std::string::npos : authorityEnd - 1);
  if (at != std::string::npos && at >= authority) {
    const size_t colon = uri.find(':', authority);
    if (colon < at) uri.replace(colon + 1, at - colon - 1, kMask);
  }
  const size_t query = uri.find('?', authority);
  if (query != std::string::npos) MaskPasswordParameters(uri, query + 1);
  return uri;
}

}  // namespace endcap
