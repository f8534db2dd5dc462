#pragma once
// Where the results store lives, as given with --store: a PostgreSQL connection URI
// ("postgresql://..." or "postgres://...", libpq's own syntax) or else an SQLite file path.

#include <string>

namespace endcap {

bool IsServerLocation(const std::string& location);

// The location as every message shows it: a password in the URI's user part or in a
// "password=" parameter is replaced by "****". A file path comes back as it is.
std::string MaskedLocation(const std::string& location);

}  // namespace endcap
