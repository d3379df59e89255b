// A line database of its own on a throwaway server for a benchmark: the schema made by its
// owner, the stations and the administrator given their roles.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "line/line.h"
#include "support/pg_cluster.h"

namespace tallowick::bench {

struct LineBench {
  const test::PgServer* server = nullptr;
  std::unique_ptr<test::PgDatabase> database;

  std::unique_ptr<line::Connection> connect(const std::string& user) const {
    auto opened = line::Connection::open(database->conninfo(user));
    if (!opened) fail(opened.error().message);
    return std::move(opened).value();
  }

  [[noreturn]] static void fail(const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(1);
  }
};

inline LineBench lineBench() {
  LineBench b;
  std::string why;
  b.server = test::sharedPgServer(why);
  if (!b.server) LineBench::fail("no PostgreSQL server: " + why);
  b.database = std::make_unique<test::PgDatabase>(*b.server, why);
  if (!b.database->ready()) LineBench::fail("no database: " + why);
  auto owner = line::Connection::openForInitialise(b.database->conninfo(test::kPgOwner));
  if (!owner) LineBench::fail(owner.error().message);
  if (auto made = line::initialise(*owner.value()); !made) LineBench::fail(made.error().message);
  if (!b.database->grantLineRoles(why)) LineBench::fail(why);
  return b;
}

}  // namespace tallowick::bench
