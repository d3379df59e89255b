// libpq as the line database will use it: PostgreSQL 15's client or later, with TLS from
// OpenSSL, so that a connection that asks for TLS gets it or fails, never plain text.
#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>

namespace {

TEST(Libpq, IsPostgreSql15OrLaterWithOpenSsl) {
  const int version = PQlibVersion();
  const char* library = PQsslAttribute(nullptr, "library");
  std::cout << "libpq " << version / 10000 << "." << version % 10000 << ", TLS library "
            << (library ? library : "none") << "\n";
  EXPECT_GE(version, 150000);
  ASSERT_NE(library, nullptr);
  EXPECT_STREQ(library, "OpenSSL");
}

// Without TLS compiled in, libpq refuses these modes before it connects; with it, the
// connection is tried and fails only because nobody listens on the port.
TEST(Libpq, EveryModeThatAsksForTlsIsTried) {
  for (const std::string mode : {"require", "verify-ca", "verify-full"}) {
    const std::string conninfo = "host=127.0.0.1 port=1 connect_timeout=10 sslmode=" + mode;
    const std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(conninfo.c_str()),
                                                                  &PQfinish);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(PQstatus(connection.get()), CONNECTION_BAD) << mode;
    const std::string message = PQerrorMessage(connection.get());
    EXPECT_EQ(message.find("not compiled in"), std::string::npos) << mode << ": " << message;
  }
}

}  // namespace
