#include "tests/support/postgres_server.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace endcap::testing {

namespace {

// The newest installed server's programs.
std::string ServerBin() {
  std::error_code ignored;
  std::string newest;
  int newestVersion = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ignored)) {
    const int version = std::atoi(entry.path().filename().c_str());
    if (version > newestVersion && std::filesystem::exists(entry.path() / "bin/pg_ctl")) {
      newestVersion = version;
      newest = (entry.path() / "bin").string();
    }
  }
  return newest;
}

}  // namespace

bool PostgresServer::RunTool(const std::string& tool, const std::vector<std::string>& args) {
  std::vector<std::string> argv{bin_ + "/" + tool};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const std::string log = folder_.path() + "/tools.log";
  const bool asRoot = getuid() == 0;
  const passwd* nobody = asRoot ? getpwnam("nobody") : nullptr;
  if (asRoot && !nobody) {
    why_ = "no account nobody to run the server as";
    return false;
  }
  const uid_t uid = nobody ? nobody->pw_uid : 0;
  const gid_t gid = nobody ? nobody->pw_gid : 0;
  const pid_t pid = fork();
  if (pid < 0) {
    why_ = "cannot fork";
    return false;
  }
  if (pid == 0) {
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
    }
    if (chdir(folder_.path().c_str()) != 0) _exit(126);
    if (asRoot && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
    execv(cargv[0], cargv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  why_ = tool + " failed: " + text.str();
  return false;
}

bool PostgresServer::Start() {
  bin_ = ServerBin();
  if (bin_.empty()) {
    why_ = "no PostgreSQL server under /usr/lib/postgresql (Debian's postgresql package)";
    return false;
  }
  if (folder_.path().empty()) {
    why_ = "no scratch folder";
    return false;
  }
  if (getuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || chown(folder_.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      why_ = "cannot give the scratch folder to nobody";
      return false;
    }
  }
  const std::string data = folder_.path() + "/data";
  if (!RunTool("initdb", {"-D", data, "-U", "postgres", "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync",
                          "--no-instructions"}))
    return false;
  running_ = RunTool("pg_ctl", {"-D", data, "-l", folder_.path() + "/server.log", "-w", "-t", "60", "-o",
                                "-k " + folder_.path() + " -c listen_addresses= -F", "start"});
  return running_;
}

void PostgresServer::Stop() {
  if (!running_) return;
  running_ = false;
  RunTool("pg_ctl", {"-D", folder_.path() + "/data", "-m", "immediate", "-w", "stop"});
}

std::string PostgresServer::Uri(const std::string& database) const {
  return "postgresql:///" + database + "?host=" + folder_.path() + "&user=postgres";
}

bool PostgresServer::Execute(const std::string& database, const std::string& sql) {
  PGconn* conn = PQconnectdb(Uri(database).c_str());
  bool ok = PQstatus(conn) == CONNECTION_OK;
  if (ok) {
    PGresult* result = PQexec(conn, sql.c_str());
    ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    PQclear(result);
  }
  if (!ok) why_ = PQerrorMessage(conn);
  PQfinish(conn);
  return ok;
}

std::string PostgresServer::NewDatabase(const std::string& name) {
  return Execute("postgres", "CREATE DATABASE " + name) ? Uri(name) : "";
}

}  // namespace endcap::testing
