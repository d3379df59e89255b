# CLI11, which parses tallowick-cli's command line. It is header-only and its headers are the
# same on every platform, so the Windows cross-build uses the host's copy: a cross-build
# sees no host packages, so it gets an interface target over a copy of just the CLI folder
# (never the host's whole include folder, whose C library headers are not the target's).
find_package(CLI11 CONFIG QUIET)
if(NOT TARGET CLI11::CLI11)
  find_path(TALLOWICK_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include /usr/local/include
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(_cli11_copy ${PROJECT_BINARY_DIR}/cli11-include)
  file(COPY ${TALLOWICK_CLI11_INCLUDE}/CLI DESTINATION ${_cli11_copy})
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_cli11_copy})
endif()
