// One connection to the line database through libpq: the connection text checked before it
// is used, the schema's version checked at the open, statements with text parameters, and
// every failure told as a Russian sentence for a message box, never with a password in it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/store_result.h"

// libpq's handles, as its header declares them.
typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tallowick::line {

// Nothing when `conninfo` is a usable libpq connection text (a URI "postgresql://…", a
// "key=value" string, or "service=NAME"); otherwise why not, in Russian. A text that
// carries a password is refused: the password comes from libpq's password file or its
// service file, never from Tallowick's settings, the command line or a log.
std::optional<std::string> connectionRefused(const std::string& conninfo);

struct ConnectionDeleter {
  void operator()(PGconn* connection) const;
};
struct ResultDeleter {
  void operator()(PGresult* result) const;
};

// The rows a statement gave, read as text (libpq's text format).
class Rows {
 public:
  explicit Rows(PGresult* result) : result_(result) {}

  int size() const;
  bool null(int row, int column) const;
  std::string text(int row, int column) const;
  std::int64_t integer(int row, int column) const;
  bool boolean(int row, int column) const;
  const PGresult* result() const { return result_.get(); }

 private:
  std::unique_ptr<PGresult, ResultDeleter> result_;
};

// A parameter of a statement; nothing is SQL's NULL.
using Param = std::optional<std::string>;

// One libpq connection, used from one thread at a time.
class Connection {
 public:
  // Connects with `conninfo` (see connectionRefused), as the program "tallowick", waiting
  // at most `connectTimeoutSeconds` for the server, and never asking for a password. A
  // database without Tallowick's schema is refused (Unavailable), as is one whose schema is
  // newer than this program knows (Conflict).
  static StoreResult<std::unique_ptr<Connection>> open(const std::string& conninfo,
                                                       int connectTimeoutSeconds = 5);
  // The same without the schema's check: for initialise(), which makes the schema.
  static StoreResult<std::unique_ptr<Connection>> openForInitialise(const std::string& conninfo,
                                                                    int connectTimeoutSeconds = 5);

  // The server and database for messages: "host:port/database", never the password.
  std::string server() const;
  // The login user the server knows this connection by.
  std::string user() const;
  // The connection is encrypted.
  bool tls() const;
  // False once the server or the network went away; a new connection is needed then.
  bool connected() const;

  // One statement with text parameters ($1, $2, …), in a transaction of its own unless
  // one is open. Failures: Denied when the server's grants refuse it, Unavailable when the
  // connection is lost, Failed otherwise.
  StoreResult<Rows> query(const std::string& sql, const std::vector<Param>& params = {});
  StoreStatus execute(const std::string& sql, const std::vector<Param>& params = {});
  // Several statements without parameters, one after the other.
  StoreStatus script(const std::string& sql);
  // Runs `body` in one transaction: committed when the body and the commit succeed,
  // rolled back otherwise.
  StoreStatus transaction(const std::function<StoreStatus()>& body);

  PGconn* native() const { return connection_.get(); }

 private:
  explicit Connection(PGconn* connection);
  static StoreResult<std::unique_ptr<Connection>> connect(const std::string& conninfo,
                                                          int connectTimeoutSeconds);
  StoreStatus checkSchema();
  // The rows of a statement's result, or its failure.
  StoreResult<Rows> answer(PGresult* result) const;
  StoreError failure(const PGresult* result) const;

  std::unique_ptr<PGconn, ConnectionDeleter> connection_;
};

// An integer written into a text parameter.
inline Param param(std::int64_t value) {
  return std::to_string(value);
}

}  // namespace tallowick::line
