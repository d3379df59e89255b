#include "line/connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "line/schema.h"
#include "platform/own_text.h"

namespace tallowick::line {

namespace {

// A libpq text on one line, without its closing line break.
std::string oneLine(const char* text) {
  std::string line = text ? text : "";
  while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
    line.pop_back();
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Why a connection could not be made, in the words of a station's user.
std::string connectFailure(const std::string& server, const std::string& user,
                           const std::string& detail) {
  std::string why;
  // OpenSSL's words stay English whatever libpq's language is.
  if (contains(detail, "certificate") || contains(detail, "сертификат")) {
    why = Text::tr("сервер не подтвердил себя сертификатом, которому доверяет эта станция");
  } else if (contains(detail, "no password supplied")) {
    why = withArgs(Text::tr("сервер просит пароль пользователя «%1», а в файле паролей libpq и в "
                            "файле служб его нет"),
                   {user});
  } else if (contains(detail, "password authentication failed")) {
    why = withArgs(Text::tr("сервер не принял пароль пользователя «%1»"), {user});
  }
  if (why.empty()) {
    return withArgs(Text::tr("Нет связи с базой линии %1: %2."), {server, detail});
  }
  return withArgs(Text::tr("Нет связи с базой линии %1: %2 (%3)."), {server, why, detail});
}

StoreErrorKind kindOf(std::string_view state) {
  if (state == "42501") return StoreErrorKind::Denied;
  if (state.substr(0, 2) == "08" || state == "57P01" || state == "57P02" || state == "57P03") {
    return StoreErrorKind::Unavailable;
  }
  if (state == "55P03" || state == "40001" || state == "40P01" || state == "57014") {
    return StoreErrorKind::Locked;
  }
  return StoreErrorKind::Failed;
}

}  // namespace

std::optional<std::string> connectionRefused(const std::string& conninfo) {
  if (blank(conninfo)) return Text::tr("Подключение к базе линии не задано.");
  if (conninfo.find('\0') != std::string::npos) {
    return Text::tr("Строка подключения к базе линии не читается: в ней есть нулевой символ.");
  }
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  if (!options) {
    const std::string why = error ? oneLine(error) : Text::tr("не хватило памяти");
    PQfreemem(error);
    return withArgs(Text::tr("Строка подключения к базе линии не читается: %1."), {why});
  }
  bool secret = false;
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    const std::string_view keyword = o->keyword;
    if ((keyword == "password" || keyword == "sslpassword") && o->val && *o->val) secret = true;
  }
  PQconninfoFree(options);
  if (secret) {
    return Text::tr(
        "Строка подключения к базе линии содержит пароль, а пароль берётся из файла паролей "
        "libpq или из файла служб, а не из настроек Tallowick.");
  }
  return std::nullopt;
}

void ConnectionDeleter::operator()(PGconn* connection) const {
  PQfinish(connection);
}

void ResultDeleter::operator()(PGresult* result) const {
  PQclear(result);
}

int Rows::size() const {
  return PQntuples(result_.get());
}

bool Rows::null(int row, int column) const {
  return PQgetisnull(result_.get(), row, column) == 1;
}

std::string Rows::text(int row, int column) const {
  return std::string(PQgetvalue(result_.get(), row, column),
                     static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

std::int64_t Rows::integer(int row, int column) const {
  return std::strtoll(PQgetvalue(result_.get(), row, column), nullptr, 10);
}

bool Rows::boolean(int row, int column) const {
  return PQgetvalue(result_.get(), row, column)[0] == 't';
}

Connection::Connection(PGconn* connection) : connection_(connection) {}

StoreResult<std::unique_ptr<Connection>> Connection::connect(const std::string& conninfo,
                                                             int connectTimeoutSeconds) {
  if (auto refused = connectionRefused(conninfo)) {
    return StoreError{StoreErrorKind::Unavailable, *refused};
  }
  const std::string timeout = std::to_string(std::max(1, connectTimeoutSeconds));
  // Before the connection text, what it may set otherwise: a server or a network that goes
  // away is noticed within seconds rather than hours. After it, what the program decides.
  constexpr std::array<const char*, 9> kKeywords = {"keepalives_idle",
                                                    "keepalives_interval",
                                                    "keepalives_count",
                                                    "tcp_user_timeout",
                                                    "dbname",
                                                    "application_name",
                                                    "connect_timeout",
                                                    "client_encoding",
                                                    nullptr};
  const std::array<const char*, 9> values = {
      "10", "5", "3", "15000", conninfo.c_str(), "tallowick", timeout.c_str(), "UTF8", nullptr};
  std::unique_ptr<Connection> opened(
      new Connection(PQconnectdbParams(kKeywords.data(), values.data(), 1)));
  PGconn* c = opened->native();
  if (!c)
    return StoreError{StoreErrorKind::Unavailable,
                      Text::tr("Нет связи с базой линии: не хватило памяти.")};
  if (PQstatus(c) != CONNECTION_OK) {
    return StoreError{StoreErrorKind::Unavailable,
                      connectFailure(opened->server(), opened->user(), oneLine(PQerrorMessage(c)))};
  }
  // The server's notices (an object that is already there, ...) are no news for a station.
  PQsetNoticeReceiver(
      c, [](void*, const PGresult*) {}, nullptr);
  return opened;
}

StoreResult<std::unique_ptr<Connection>> Connection::open(const std::string& conninfo,
                                                          int connectTimeoutSeconds) {
  auto opened = connect(conninfo, connectTimeoutSeconds);
  if (!opened) return opened;
  if (auto checked = opened.value()->checkSchema(); !checked) return checked.error();
  return opened;
}

StoreResult<std::unique_ptr<Connection>> Connection::openForInitialise(const std::string& conninfo,
                                                                       int connectTimeoutSeconds) {
  return connect(conninfo, connectTimeoutSeconds);
}

std::string Connection::server() const {
  PGconn* c = native();
  const char* host = c ? PQhost(c) : nullptr;
  const char* port = c ? PQport(c) : nullptr;
  const char* db = c ? PQdb(c) : nullptr;
  std::string text = host && *host ? host : "localhost";
  if (port && *port) text += std::string(":") + port;
  if (db && *db) text += std::string("/") + db;
  return text;
}

std::string Connection::user() const {
  const char* name = native() ? PQuser(native()) : nullptr;
  return name ? name : "";
}

bool Connection::tls() const {
  return native() && PQsslInUse(native()) == 1;
}

bool Connection::connected() const {
  return native() && PQstatus(native()) == CONNECTION_OK;
}

StoreError Connection::failure(const PGresult* result) const {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string detail = oneLine(primary ? primary : PQerrorMessage(native()));
  if (!connected() || !state) {
    return {StoreErrorKind::Unavailable,
            withArgs(Text::tr("Связь с базой линии %1 потеряна: %2."), {server(), detail})};
  }
  const StoreErrorKind kind = kindOf(state);
  switch (kind) {
    case StoreErrorKind::Denied:
      return {kind, withArgs(Text::tr("Сервер базы линии %1 не дал пользователю «%2» права на это: "
                                      "%3."),
                             {server(), user(), detail})};
    case StoreErrorKind::Unavailable:
      return {kind, withArgs(Text::tr("Связь с базой линии %1 потеряна: %2."), {server(), detail})};
    case StoreErrorKind::Locked:
      return {kind, withArgs(Text::tr("База линии %1 занята и не выполнила запрос: %2."),
                             {server(), detail})};
    default:
      return {kind,
              withArgs(Text::tr("База линии %1 не выполнила запрос: %2."), {server(), detail})};
  }
}

StoreResult<Rows> Connection::answer(PGresult* result) const {
  Rows rows(result);
  const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) return failure(result);
  return rows;
}

StoreResult<Rows> Connection::query(const std::string& sql, const std::vector<Param>& params) {
  std::vector<const char*> values;
  values.reserve(params.size());
  for (const Param& p : params)
    values.push_back(p ? p->c_str() : nullptr);
  return answer(PQexecParams(native(), sql.c_str(), static_cast<int>(values.size()), nullptr,
                             values.data(), nullptr, nullptr, 0));
}

StoreStatus Connection::execute(const std::string& sql, const std::vector<Param>& params) {
  auto done = query(sql, params);
  if (!done) return done.error();
  return {};
}

StoreStatus Connection::script(const std::string& sql) {
  auto done = answer(PQexec(native(), sql.c_str()));
  if (!done) return done.error();
  return {};
}

StoreStatus Connection::transaction(const std::function<StoreStatus()>& body) {
  if (auto begun = execute("BEGIN"); !begun) return begun;
  StoreStatus status = body();
  if (status) status = execute("COMMIT");
  if (!status && connected()) (void)execute("ROLLBACK");
  return status;
}

StoreStatus Connection::checkSchema() {
  const StoreError denied{StoreErrorKind::Denied,
                          withArgs(Text::tr("Пользователь «%1» не допущен к базе линии %2: "
                                            "администратор даёт ему роль tallowick_station."),
                                   {user(), server()})};
  auto found = query(
      "SELECT CASE WHEN to_regnamespace('tallowick') IS NULL THEN 'none' "
      "WHEN NOT has_schema_privilege('tallowick', 'USAGE') THEN 'denied' "
      "WHEN to_regclass('tallowick.schema_version') IS NULL THEN 'none' ELSE 'there' END");
  if (!found) return found.error();
  if (found.value().text(0, 0) == "denied") return denied;
  if (found.value().text(0, 0) == "none") {
    return StoreError{StoreErrorKind::Unavailable,
                      withArgs(Text::tr("В базе линии %1 нет схемы Tallowick: её создаёт "
                                        "владелец базы командой «tallowick-cli db init»."),
                               {server()})};
  }
  auto version = query("SELECT version FROM tallowick.schema_version");
  if (!version) return version.error().kind == StoreErrorKind::Denied ? denied : version.error();
  const std::int64_t v = version.value().size() == 1 ? version.value().integer(0, 0) : 0;
  if (v > kSchemaVersion) {
    return StoreError{StoreErrorKind::Conflict,
                      withArgs(Text::tr("Схема базы линии %1 версии %2 новее этой программы (она "
                                        "знает версию %3): обновите Tallowick."),
                               {server(), std::to_string(v), std::to_string(kSchemaVersion)})};
  }
  if (v < kSchemaVersion) {
    return StoreError{StoreErrorKind::Unavailable,
                      withArgs(Text::tr("Схема базы линии %1 версии %2 старше этой программы: "
                                        "владелец базы обновляет её командой «tallowick-cli db "
                                        "init»."),
                               {server(), std::to_string(v)})};
  }
  return {};
}

}  // namespace tallowick::line
