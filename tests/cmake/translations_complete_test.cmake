# Every text of the program's own is translated in every language: the sources' texts
# gathered afresh (as the lupdate target does, into a copy) must be those of each committed
# translations/tallowick_LANG.ts, and none of them unfinished or empty.
#   cmake -DLUPDATE=<lupdate> -DSOURCE=<project folder> -DWORK=<empty folder>
#         -DLANGUAGES="uk;ro" -P tests/cmake/translations_complete_test.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(failures "")
foreach(lang ${LANGUAGES})
  set(committed "${SOURCE}/translations/tallowick_${lang}.ts")
  file(READ "${committed}" text)
  if(text MATCHES "type=\"unfinished\"" OR text MATCHES "<translation></translation>")
    string(APPEND failures "tallowick_${lang}.ts has unfinished translations\n")
  endif()
  configure_file("${committed}" "${WORK}/tallowick_${lang}.ts" COPYONLY)
  execute_process(
    COMMAND "${LUPDATE}" -silent -tr-function-alias tr+=own -locations none -no-obsolete
            -source-language ru src -ts "${WORK}/tallowick_${lang}.ts"
    WORKING_DIRECTORY "${SOURCE}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    string(APPEND failures "lupdate failed (${status})\n")
  endif()
  file(READ "${WORK}/tallowick_${lang}.ts" gathered)
  if(NOT gathered STREQUAL text)
    string(APPEND failures "tallowick_${lang}.ts is not the sources' texts: build the target "
                           "lupdate and translate what it marks unfinished\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
