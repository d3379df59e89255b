# The layer check on a tree of its own: it must name an include across the layers, let
# through one that is linked, and not count a test helper that shares a library's folder
# name.
#   cmake -DCHECK=cmake/check-layers.cmake -DWORK=<empty folder> -P tests/cmake/check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/src/low/low.h" "#pragma once\n")
file(WRITE "${WORK}/src/high/high.h" "#pragma once\n#include \"low/low.h\"\n")
file(WRITE "${WORK}/src/high/high.cpp" "#include \"high/high.h\"\n#include \"low/helper.h\"\n")
file(WRITE "${WORK}/src/low/low.cpp" "#include \"low/low.h\"\n  #  include \"high/high.h\"\n")

# `low` links nothing, `high` links `low` publicly; a header of `low` may use only `low`.
function(run_check name low_allowed high_allowed expect_failure expect_text)
  file(WRITE "${WORK}/${name}.cmake"
    "set(LAYER_SOURCE_ROOT \"${WORK}\")\n"
    "set(LAYER_DIR_low \"${WORK}/src/low\")\n"
    "set(LAYER_DIR_high \"${WORK}/src/high\")\n"
    "set(LAYER_FOLDERS low high)\n"
    "list(APPEND LAYER_UNITS headers_high lowlib highlib)\n"
    "set(LAYER_headers_high_OWNER high)\n"
    "set(LAYER_headers_high_GLOB \"${WORK}/src/high\")\n"
    "set(LAYER_headers_high_ALLOWED ${high_allowed})\n"
    "set(LAYER_lowlib_OWNER low)\n"
    "set(LAYER_lowlib_FILES \"${WORK}/src/low/low.cpp\")\n"
    "set(LAYER_lowlib_ALLOWED ${low_allowed})\n"
    "set(LAYER_highlib_OWNER high)\n"
    "set(LAYER_highlib_FILES \"${WORK}/src/high/high.cpp\")\n"
    "set(LAYER_highlib_ALLOWED ${high_allowed})\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DLAYER_MAP=${WORK}/${name}.cmake -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "${name}: the check passed:\n${out}")
  elseif(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "${name}: the check failed:\n${out}")
  endif()
  string(FIND "${out}" "${expect_text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name}: \"${expect_text}\" not said:\n${out}")
  endif()
endfunction()

# low.cpp includes a header of `high`, which `low` does not link.
run_check(upwards "low" "high;low" TRUE
  "src/low/low.cpp: includes \"high/high.h\", but low does not link the library of high/")
# A header of `high` that uses `low`, when `high` keeps `low` to its sources.
run_check(private "low;high" "high" TRUE
  "src/high/high.h: includes \"low/low.h\", but high does not link the library of low/")
# Every include within what is linked; low/helper.h is no header of `low`.
run_check(linked "low;high" "high;low" FALSE "")
file(REMOVE_RECURSE "${WORK}")
