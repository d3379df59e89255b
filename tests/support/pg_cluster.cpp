#include "support/pg_cluster.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace tallowick::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSuperuser = "postgres";
constexpr const char* kFolderStem = "tallowick-pg-";

std::string randomHex(std::size_t length) {
  static std::mutex mutex;
  static std::random_device device;
  std::lock_guard lock(mutex);
  std::string text;
  while (text.size() < length) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(device()));
    text += digits;
  }
  text.resize(length);
  return text;
}

std::string readWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The last lines of a log, for a failure's explanation.
std::string tail(const fs::path& file) {
  const std::string text = readWhole(file);
  return text.size() > 1500 ? text.substr(text.size() - 1500) : text;
}

// Writes `bytes` to a new file that only its owner may read.
bool writePrivate(const fs::path& file, const std::string& bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool whole = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  return ::close(fd) == 0 && whole;
}

// The account the server runs as: the test's own, or `nobody` when the test is root, since
// the server refuses to run as root.
struct Account {
  bool other = false;
  uid_t uid = 0;
  gid_t gid = 0;
};

std::optional<Account> serverAccount(std::string& why) {
  if (::geteuid() != 0) return Account{};
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody) {
    why = "the tests run as root and there is no account 'nobody' to run the server as";
    return std::nullopt;
  }
  return Account{true, nobody->pw_uid, nobody->pw_gid};
}

bool giveTo(const fs::path& path, const Account& account) {
  return !account.other || ::chown(path.c_str(), account.uid, account.gid) == 0;
}

// Runs a program to its end, in `folder`, as `account`, its output appended to `log`; its
// exit code, or -1.
int run(const std::vector<std::string>& args, const fs::path& folder, const Account& account,
        const fs::path& log) {
  std::vector<char*> argv;
  std::vector<std::string> copies = args;
  for (std::string& a : copies)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    const int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    if (account.other && (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 ||
                          ::setuid(account.uid) != 0)) {
      ::_exit(126);
    }
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path serverProgram(const char* name) {
  const char* folder = std::getenv("TALLOWICK_PG_BINDIR");
  return fs::path(folder && *folder ? folder : TALLOWICK_PG_BINDIR) / name;
}

int freePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(s);
  return port == 5432 ? 0 : port;
}

// A value of a libpq connection text, quoted.
std::string quoted(const std::string& value) {
  std::string text = "'";
  for (const char c : value) {
    if (c == '\'' || c == '\\') text += '\\';
    text += c;
  }
  return text + "'";
}

bool execute(const std::string& conninfo, const std::string& sql, std::string& why) {
  PGconn* c = PQconnectdb(conninfo.c_str());
  bool done = PQstatus(c) == CONNECTION_OK;
  if (done) {
    PQsetNoticeProcessor(
        c, [](void*, const char*) {}, nullptr);
    PGresult* result = PQexec(c, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    done = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    PQclear(result);
  }
  if (!done) why = PQerrorMessage(c);
  PQfinish(c);
  return done;
}

// The test authority, another one, and the server's certificate for localhost and
// 127.0.0.1 signed by the first.
bool makeCertificates(const fs::path& tls, std::string& why) {
  const Account self;
  const fs::path log = tls / "openssl.log";
  std::ofstream(tls / "server.ext") << "subjectAltName = DNS:localhost, IP:127.0.0.1\n"
                                       "basicConstraints = critical, CA:FALSE\n"
                                       "keyUsage = digitalSignature, keyEncipherment\n"
                                       "extendedKeyUsage = serverAuth\n";
  const std::string openssl = TALLOWICK_OPENSSL;
  const auto authority = [&](const std::string& stem, const std::string& name) {
    return run({openssl,
                "req",
                "-x509",
                "-new",
                "-newkey",
                "ec",
                "-pkeyopt",
                "ec_paramgen_curve:prime256v1",
                "-nodes",
                "-keyout",
                stem + ".key",
                "-out",
                stem + ".crt",
                "-days",
                "7",
                "-subj",
                "/CN=" + name,
                "-addext",
                "basicConstraints=critical,CA:TRUE",
                "-addext",
                "keyUsage=keyCertSign,cRLSign"},
               tls, self, log) == 0;
  };
  const bool made =
      authority("ca", "Tallowick test authority") && authority("other-ca", "Another authority") &&
      run({openssl, "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
           "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"},
          tls, self, log) == 0 &&
      run({openssl, "x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
           "-CAcreateserial", "-out", "server.crt", "-days", "7", "-extfile", "server.ext"},
          tls, self, log) == 0;
  if (!made) why = "the certificates could not be made: " + tail(log);
  return made;
}

// Starts the server of a prepared cluster on a free port; a port taken meanwhile by
// another program costs a new try.
bool startServer(PgServer& server, const Account& account, std::string& why) {
  const fs::path data = server.folder / "data";
  const fs::path log = server.folder / "run" / "server.log";
  for (int attempt = 0; attempt < 5; ++attempt) {
    server.port = freePort();
    if (server.port == 0) continue;
    std::ofstream(data / "tallowick-port.conf") << "port = " << server.port << "\n";
    fs::permissions(data / "tallowick-port.conf", fs::perms::owner_read | fs::perms::owner_write |
                                                      fs::perms::group_read |
                                                      fs::perms::others_read);
    if (run({serverProgram("pg_ctl").string(), "-D", data.string(), "-l", log.string(), "-w", "-t",
             "60", "-s", "start"},
            server.folder, account, server.folder / "run" / "pg_ctl.log") == 0) {
      return true;
    }
  }
  why = "the server did not start: " + tail(log);
  return false;
}

// Clusters of processes that ended without stopping theirs (a benchmark killed, a suite
// that crashed): each folder names the process it belongs to.
void stopOrphans() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), ec)) {
    if (entry.path().filename().string().rfind(kFolderStem, 0) != 0) continue;
    const std::string owner = readWhole(entry.path() / "owner-pid");
    const long pid = std::strtol(owner.c_str(), nullptr, 10);
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::string why;
    (void)PgCluster::stop(entry.path(), why);
  }
}

}  // namespace

std::string pgStation(int n) {
  return "station" + std::to_string(n);
}

std::string PgServer::conninfo(const std::string& user, const std::string& database,
                               const std::string& extra) const {
  return "host=127.0.0.1 port=" + std::to_string(port) + " dbname=" + quoted(database) +
         " user=" + quoted(user) + " passfile=" + quoted(passFile.string()) +
         " sslmode=verify-full sslrootcert=" + quoted(ca.string()) + " " + extra;
}

std::unique_ptr<PgCluster> PgCluster::start(std::string& why) {
  auto account = serverAccount(why);
  if (!account) return nullptr;
  std::string pattern =
      (fs::temp_directory_path() / (std::string(kFolderStem) + "XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) {
    why = "no temporary folder: " + std::string(std::strerror(errno));
    return nullptr;
  }
  std::unique_ptr<PgCluster> cluster(new PgCluster);
  PgServer& s = cluster->server_;
  s.folder = pattern;
  const fs::path data = s.folder / "data";
  const fs::path runFolder = s.folder / "run";
  const fs::path tls = s.folder / "tls";
  std::error_code ec;
  fs::permissions(s.folder,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  ec);
  fs::create_directory(data, ec);
  fs::create_directory(runFolder, ec);
  fs::create_directory(tls, ec);
  fs::permissions(data, fs::perms::owner_all, ec);
  fs::permissions(tls, fs::perms::owner_all, ec);
  if (ec || !giveTo(data, *account) || !giveTo(runFolder, *account)) {
    why = "the cluster's folders could not be prepared in " + s.folder.string();
    return nullptr;
  }

  // Every user's password, in a libpq password file that only the tests read; the
  // superuser's reaches initdb through a file of its own, never a command line.
  const std::string superPassword = randomHex(32);
  std::string passwords = std::string("*:*:*:") + kSuperuser + ":" + superPassword + "\n";
  std::string roles;
  std::vector<std::pair<std::string, std::string>> users = {
      {kPgOwner, "CREATEDB CREATEROLE"}, {kPgAdmin, ""}, {kPgOutsider, ""}};
  for (int n = 1; n <= kPgStations; ++n)
    users.emplace_back(pgStation(n), "");
  for (const auto& [user, rights] : users) {
    const std::string password = randomHex(32);
    passwords += "*:*:*:" + user + ":" + password + "\n";
    roles += "CREATE ROLE " + user + " LOGIN " + rights + " PASSWORD '" + password + "';\n";
  }
  s.passFile = s.folder / "passwords";
  const fs::path initdbPassword = s.folder / "run" / "initdb-password";
  if (!writePrivate(s.passFile, passwords) || !writePrivate(initdbPassword, superPassword + "\n") ||
      !giveTo(initdbPassword, *account)) {
    why = "the password files could not be written";
    return nullptr;
  }
  const int made = run({serverProgram("initdb").string(), "-D", data.string(), "-U", kSuperuser,
                        "-A", "scram-sha-256", "--pwfile=" + initdbPassword.string(), "-E", "UTF8",
                        "--locale=C", "--no-sync", "--no-instructions"},
                       s.folder, *account, s.folder / "initdb.log");
  fs::remove(initdbPassword, ec);
  if (made != 0) {
    why = "initdb failed: " + tail(s.folder / "initdb.log");
    return nullptr;
  }
  if (!makeCertificates(tls, why)) return nullptr;
  s.ca = tls / "ca.crt";
  s.otherCa = tls / "other-ca.crt";
  for (const char* file : {"server.crt", "server.key"}) {
    fs::copy_file(tls / file, data / file, fs::copy_options::overwrite_existing, ec);
    fs::permissions(data / file, fs::perms::owner_read | fs::perms::owner_write, ec);
    if (ec || !giveTo(data / file, *account)) {
      why = "the server's certificate could not be put in place";
      return nullptr;
    }
  }
  std::ofstream(data / "postgresql.conf", std::ios::app)
      << "\n# A throwaway cluster for Tallowick's tests.\n"
      << "listen_addresses = '127.0.0.1'\n"
      << "unix_socket_directories = '" << runFolder.string() << "'\n"
      << "ssl = on\nssl_cert_file = 'server.crt'\nssl_key_file = 'server.key'\n"
      << "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
      << "max_connections = 100\nshared_buffers = 256MB\n"
      << "include 'tallowick-port.conf'\n";
  std::ofstream(data / "pg_hba.conf", std::ios::trunc)
      << "local all all scram-sha-256\n"
      << "hostssl all all 127.0.0.1/32 scram-sha-256\n";
  std::ofstream(s.folder / "owner-pid") << ::getpid() << "\n";
  if (!startServer(s, *account, why)) return nullptr;
  const std::string super =
      "host=" + quoted(runFolder.string()) + " port=" + std::to_string(s.port) +
      " dbname=postgres user=" + kSuperuser + " passfile=" + quoted(s.passFile.string());
  if (!execute(super, roles, why)) {
    why = "the users could not be made: " + why;
    return nullptr;
  }
  return cluster;
}

bool PgCluster::stop(const fs::path& folder, std::string& why) {
  auto account = serverAccount(why);
  if (!account) return false;
  const fs::path data = folder / "data";
  std::error_code ec;
  bool stopped = true;
  if (fs::exists(data / "postmaster.pid", ec)) {
    stopped = run({serverProgram("pg_ctl").string(), "-D", data.string(), "-m", "fast", "-w", "-t",
                   "30", "-s", "stop"},
                  folder, *account, folder / "pg_ctl-stop.log") == 0;
    if (!stopped) {
      // The server this folder started, by the number it wrote.
      const long pid = std::strtol(readWhole(data / "postmaster.pid").c_str(), nullptr, 10);
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), SIGQUIT) == 0) {
        for (int i = 0; i < 100 && ::kill(static_cast<pid_t>(pid), 0) == 0; ++i)
          std::this_thread::sleep_for(50ms);
      }
      stopped = pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0;
      if (!stopped) why = "the server of " + folder.string() + " did not stop";
    }
  }
  if (stopped) fs::remove_all(folder, ec);
  return stopped;
}

bool PgCluster::pause(std::string& why) {
  auto account = serverAccount(why);
  if (!account) return false;
  const fs::path data = server_.folder / "data";
  if (run({serverProgram("pg_ctl").string(), "-D", data.string(), "-m", "fast", "-w", "-t", "30",
           "-s", "stop"},
          server_.folder, *account, server_.folder / "run" / "pg_ctl-pause.log") != 0) {
    why = "the server did not stop: " + tail(server_.folder / "run" / "pg_ctl-pause.log");
    return false;
  }
  return true;
}

bool PgCluster::resume(std::string& why) {
  auto account = serverAccount(why);
  if (!account) return false;
  const fs::path data = server_.folder / "data";
  const fs::path log = server_.folder / "run" / "server.log";
  if (run({serverProgram("pg_ctl").string(), "-D", data.string(), "-l", log.string(), "-w", "-t",
           "60", "-s", "start"},
          server_.folder, *account, server_.folder / "run" / "pg_ctl-resume.log") != 0) {
    why = "the server did not start again: " + tail(log);
    return false;
  }
  return true;
}

std::unique_ptr<PgCluster> PgCluster::attach(const PgServer& server) {
  std::unique_ptr<PgCluster> cluster(new PgCluster);
  cluster->server_ = server;
  cluster->kept_ = true;
  return cluster;
}

PgCluster::~PgCluster() {
  if (kept_ || server_.folder.empty()) return;
  std::string why;
  (void)stop(server_.folder, why);
}

bool PgCluster::describe(const fs::path& file) const {
  std::error_code ec;
  fs::remove(server_.folder / "owner-pid", ec);
  std::ostringstream text;
  text << server_.folder.string() << "\n"
       << server_.port << "\n"
       << server_.ca.string() << "\n"
       << server_.otherCa.string() << "\n"
       << server_.passFile.string() << "\n";
  return writePrivate(file, text.str());
}

std::optional<PgServer> PgCluster::described(const fs::path& file) {
  std::istringstream in(readWhole(file));
  PgServer s;
  std::string folder, port, ca, otherCa, passFile;
  if (!std::getline(in, folder) || !std::getline(in, port) || !std::getline(in, ca) ||
      !std::getline(in, otherCa) || !std::getline(in, passFile)) {
    return std::nullopt;
  }
  s.folder = folder;
  s.port = std::atoi(port.c_str());
  s.ca = ca;
  s.otherCa = otherCa;
  s.passFile = passFile;
  return s;
}

const PgServer* sharedPgServer(std::string& why) {
  static std::mutex mutex;
  static std::optional<PgServer> server;
  static std::unique_ptr<PgCluster> own;
  static std::string failure;
  std::lock_guard lock(mutex);
  if (!server && failure.empty()) {
    const char* file = std::getenv("TALLOWICK_TEST_PG");
    if (file && *file) {
      server = PgCluster::described(file);
      if (!server) failure = std::string("the cluster's description cannot be read: ") + file;
    } else {
      stopOrphans();
      own = PgCluster::start(failure);
      if (own) server = own->server();
      if (!own && failure.empty()) failure = "the cluster did not start";
    }
  }
  why = failure;
  return server ? &*server : nullptr;
}

PgDatabase::PgDatabase(const PgServer& server, std::string& why) : server_(server) {
  const std::string name = "t_" + randomHex(12);
  if (execute(server_.conninfo(kPgOwner, "postgres"), "CREATE DATABASE " + name, why)) {
    name_ = name;
  }
}

PgDatabase::~PgDatabase() {
  std::string why;
  if (ready()) (void)execute(server_.conninfo(kPgOwner, "postgres"), "DROP DATABASE " + name_, why);
}

bool PgDatabase::exec(const std::string& sql, std::string& why) const {
  return execute(conninfo(kPgOwner), sql, why);
}

bool PgDatabase::grantLineRoles(std::string& why) const {
  std::string grants;
  for (int n = 1; n <= kPgStations; ++n)
    grants += "GRANT tallowick_station TO " + pgStation(n) + ";";
  grants += std::string("GRANT tallowick_admin TO ") + kPgAdmin + ";";
  return exec(grants, why);
}

}  // namespace tallowick::test
