// The CTest fixture of the line's suites: `start FILE` makes and starts a throwaway cluster
// and describes it in FILE (stopping first the one an earlier, interrupted run described
// there); `stop FILE` stops the cluster FILE describes and removes it with its folder;
// `pause FILE` and `resume FILE` take its server away and bring it back, its data kept.
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/pg_cluster.h"

using tallowick::test::PgCluster;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s start|stop|pause|resume FILE\n", argv[0]);
    return 2;
  }
  const std::string command = argv[1];
  const std::filesystem::path file = argv[2];
  std::string why;
  if (command == "pause" || command == "resume") {
    const auto server = PgCluster::described(file);
    const auto cluster = server ? PgCluster::attach(*server) : nullptr;
    if (!cluster || !(command == "pause" ? cluster->pause(why) : cluster->resume(why))) {
      std::fprintf(stderr, "%s\n", server ? why.c_str() : "no cluster is described there");
      return 1;
    }
    return 0;
  }
  if (auto earlier = PgCluster::described(file)) {
    if (!PgCluster::stop(earlier->folder, why)) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return 1;
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
  }
  if (command == "stop") return 0;
  auto cluster = PgCluster::start(why);
  if (!cluster || !cluster->describe(file)) {
    std::fprintf(stderr, "no PostgreSQL cluster for the line's suites: %s\n", why.c_str());
    return 1;
  }
  cluster->keep();
  std::printf("a PostgreSQL cluster on 127.0.0.1:%d\n", cluster->server().port);
  return 0;
}
