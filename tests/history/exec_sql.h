// Statements run on a history's file behind the store's back: a file damaged, made by
// another program, or filled faster than a run could.
#pragma once

#include <sqlite3.h>

#include <filesystem>

namespace tallowick::history::test {

inline int execSql(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(file.string().c_str(), &db);
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return rc;
}

}  // namespace tallowick::history::test
