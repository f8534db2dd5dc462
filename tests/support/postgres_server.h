#pragma once
// A throwaway PostgreSQL server for one test or benchmark program: initdb and pg_ctl (Debian's,
// under /usr/lib/postgresql/VERSION/bin) in a scratch folder, listening only on a Unix socket
// in that folder, so no TCP port is taken. PostgreSQL refuses to run as root: when the program
// runs as root, the server runs as "nobody", which owns the folder. pg_ctl's own wait tells
// when it accepts connections. The server is stopped, and the folder removed, when this goes.

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace endcap::testing {

class PostgresServer {
public:
  PostgresServer() = default;
  ~PostgresServer() { Stop(); }
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // False, with why(), when it could not be set up or started.
  bool Start();
  void Stop();

  // A new empty database; its URI, or "" with why().
  std::string NewDatabase(const std::string& name);
  // The URI of database on this server (the superuser "postgres", no password).
  std::string Uri(const std::string& database) const;
  // Statements run as the superuser in database; false with why().
  bool Execute(const std::string& database, const std::string& sql);

  const std::string& socketFolder() const { return folder_.path(); }
  const std::string& why() const { return why_; }

private:
  // Runs a PostgreSQL program as the server's account, its output into the folder's log.
  bool RunTool(const std::string& tool, const std::vector<std::string>& args);

  TempDir folder_;
  std::string bin_;
  bool running_ = false;
  std::string why_;
};

}  // namespace endcap::testing
