# GCC 12 at -O3 (the Release builds, native and mingw-w64) reports an overlapping memcpy
# inside std::string's operator+(const char*, std::string&&), as inlined from
# basic_string::insert: a known false positive of that version's -Wrestrict analysis, fixed
# in GCC 13. tallowick_gcc12_string_concat(FILES...) turns that one warning off for those
# files of the calling directory, and only for GCC before 13.
function(tallowick_gcc12_string_concat)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS -Wno-restrict)
  endif()
endfunction()
