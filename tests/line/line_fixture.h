// A database of its own on the run's throwaway server for each test, the schema made by its
// owner, and the line's users given their roles: station1..16 are stations, line_admin
// manages the book, outsider is given nothing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "line/line.h"
#include "support/pg_cluster.h"

namespace tallowick::line::test {

using tallowick::test::kPgAdmin;
using tallowick::test::kPgOutsider;
using tallowick::test::kPgOwner;
using tallowick::test::PgDatabase;
using tallowick::test::PgServer;
using tallowick::test::pgStation;

class LineTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server_ = tallowick::test::sharedPgServer(why);
    ASSERT_NE(server_, nullptr) << why;
    database_ = std::make_unique<PgDatabase>(*server_, why);
    ASSERT_TRUE(database_->ready()) << why;
  }

  const PgServer& server() const { return *server_; }
  PgDatabase& database() const { return *database_; }

  // The schema made, and the roles given to the users.
  void initialise() {
    auto owner = Connection::openForInitialise(database_->conninfo(kPgOwner));
    ASSERT_TRUE(owner) << owner.error().message;
    auto made = line::initialise(*owner.value());
    ASSERT_TRUE(made) << made.error().message;
    std::string why;
    ASSERT_TRUE(database_->grantLineRoles(why)) << why;
  }

  void asOwner(const std::string& sql) {
    std::string why;
    ASSERT_TRUE(database_->exec(sql, why)) << sql << ": " << why;
  }

  // A checked connection of `user`; null, with the test failed, when there is none.
  std::unique_ptr<Connection> connect(const std::string& user) {
    auto opened = Connection::open(database_->conninfo(user));
    if (!opened) {
      ADD_FAILURE() << user << ": " << opened.error().message;
      return nullptr;
    }
    return std::move(opened).value();
  }

  // The first column of the first row of a query as the owner.
  std::string ownerValue(const std::string& sql) {
    auto owner = Connection::openForInitialise(database_->conninfo(kPgOwner));
    if (!owner) return "(" + owner.error().message + ")";
    auto rows = owner.value()->query(sql);
    if (!rows) return "(" + rows.error().message + ")";
    if (rows.value().size() == 0 || rows.value().null(0, 0)) return "";
    return rows.value().text(0, 0);
  }

 private:
  const PgServer* server_ = nullptr;
  std::unique_ptr<PgDatabase> database_;
};

}  // namespace tallowick::line::test
