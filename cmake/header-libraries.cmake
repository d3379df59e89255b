# The header-only libraries the programs use, as targets: nlohmann_json::nlohmann_json and
# CLI11::CLI11. A native build takes Debian's packages as they are. A cross-build for
# Windows takes the same headers, which do not depend on the platform, from the host, but
# through a folder that holds only them: the host's /usr/include as a whole would put the
# host's C library in front of the cross-compiler's.
function(tallowick_header_library target header_folder)
  if(TARGET ${target})
    return()
  endif()
  set(host_folder /usr/include/${header_folder})
  if(NOT EXISTS ${host_folder})
    message(FATAL_ERROR "${host_folder} is missing: run scripts/bootstrap --deps-only")
  endif()
  set(only ${CMAKE_BINARY_DIR}/host-headers/${header_folder})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-headers)
  if(NOT EXISTS ${only})
    file(CREATE_LINK ${host_folder} ${only} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/host-headers)
endfunction()

if(CMAKE_CROSSCOMPILING)
  tallowick_header_library(nlohmann_json::nlohmann_json nlohmann)
  tallowick_header_library(CLI11::CLI11 CLI)
else()
  find_package(nlohmann_json 3 REQUIRED)
  find_package(CLI11 CONFIG REQUIRED)
endif()
