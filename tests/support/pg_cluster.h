// A throwaway PostgreSQL server for the line database's suites and benchmarks: a cluster
// made in a temporary folder, run by an unprivileged account, listening on a free port of
// 127.0.0.1 with TLS (a test authority made at set-up) and SCRAM passwords kept in a libpq
// password file; stopped and removed at the end. A cluster the machine runs itself is never
// touched. POSIX.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tallowick::test {

// The login users every cluster has, each with its password in the password file.
inline constexpr const char* kPgOwner = "line_owner";  // may create databases and roles
inline constexpr const char* kPgAdmin = "line_admin";
inline constexpr const char* kPgOutsider = "outsider";  // is given no role
inline constexpr int kPgStations = 16;                  // station1 .. station16
std::string pgStation(int n);

// What a test needs to reach a running cluster.
struct PgServer {
  std::filesystem::path folder;  // the cluster's, with everything of it
  int port = 0;
  std::filesystem::path ca;       // the test authority's certificate
  std::filesystem::path otherCa;  // another authority's, which signed nothing of the server
  std::filesystem::path passFile;

  // A libpq connection text for `user` to `database` at 127.0.0.1 over TLS, the server's
  // certificate checked against the test authority; `extra` goes last and may override.
  std::string conninfo(const std::string& user, const std::string& database,
                       const std::string& extra = "") const;
};

class PgCluster {
 public:
  // Makes a cluster in a new folder under the temporary folder and starts it; nothing, and
  // `why`, when it cannot.
  static std::unique_ptr<PgCluster> start(std::string& why);
  // Stops the cluster in `folder` and removes the folder.
  static bool stop(const std::filesystem::path& folder, std::string& why);
  // The cluster another process started and described, to pause or resume; left running.
  static std::unique_ptr<PgCluster> attach(const PgServer& server);
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  const PgServer& server() const { return server_; }
  // Leaves the cluster running when the object goes (the CTest fixture stops it).
  void keep() { kept_ = true; }
  // The server away and back: stopped with its data kept, then started again on its port.
  bool pause(std::string& why);
  bool resume(std::string& why);

  // The description other processes read: written whole to `file`.
  bool describe(const std::filesystem::path& file) const;
  static std::optional<PgServer> described(const std::filesystem::path& file);

 private:
  PgCluster() = default;
  PgServer server_;
  bool kept_ = false;
};

// The cluster of this run: the one the CTest fixture started (the variable TALLOWICK_TEST_PG
// names its description), or else one started for this process and stopped at its end.
// Null, and `why`, when there is none.
const PgServer* sharedPgServer(std::string& why);

// A new database of the owner's for one test or benchmark, dropped when the object goes.
class PgDatabase {
 public:
  PgDatabase(const PgServer& server, std::string& why);
  ~PgDatabase();
  PgDatabase(const PgDatabase&) = delete;
  PgDatabase& operator=(const PgDatabase&) = delete;

  bool ready() const { return !name_.empty(); }
  const std::string& name() const { return name_; }
  std::string conninfo(const std::string& user, const std::string& extra = "") const {
    return server_.conninfo(user, name_, extra);
  }
  // Runs SQL as the owner in this database; false, and `why`, when it fails.
  bool exec(const std::string& sql, std::string& why) const;
  // Once the line's schema is made: the stations made members of tallowick_station, the
  // administrator of tallowick_admin.
  bool grantLineRoles(std::string& why) const;

 private:
  const PgServer& server_;
  std::string name_;
};

}  // namespace tallowick::test
