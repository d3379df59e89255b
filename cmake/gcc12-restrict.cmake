# GCC 12 at -O3 (the Release builds, native and mingw-w64) reports overlapping memcpy calls
# inside std::string's operator+ with a literal, as inlined from basic_string::insert: a
# known false positive of that version's -Wrestrict analysis, fixed in GCC 13. It is not
# one file's fault (any file that joins a literal and a string may meet it), so that one
# warning is off for GCC before 13, and every other warning stays an error.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
