# nlohmann-json (header-only) as the target nlohmann_json::nlohmann_json. The cross-build
# takes the host's headers (Debian's nlohmann-json3-dev), copied into a folder of their
# own, so that the Windows compiler sees no other header of the host.
if(TARGET nlohmann_json::nlohmann_json)
  return()
endif()
if(NOT CMAKE_CROSSCOMPILING)
  find_package(nlohmann_json 3 REQUIRED)
  return()
endif()
find_path(TALLOWICK_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TALLOWICK_NLOHMANN_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian: nlohmann-json3-dev)")
endif()
set(_tallowick_json_dir ${PROJECT_BINARY_DIR}/host-headers)
file(COPY ${TALLOWICK_NLOHMANN_JSON_INCLUDE}/nlohmann DESTINATION ${_tallowick_json_dir})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES ${_tallowick_json_dir})
