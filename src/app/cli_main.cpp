#include <iostream>

#include "app/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tallowick::runCli(args, std::cout, std::cerr);
}
