# GoogleTest built from its sources with the project's compiler, for builds that cannot
# use the system's prebuilt libraries (the Windows cross-build). Gives the same targets as
# find_package(GTest): GTest::gtest, GTest::gtest_main, GTest::gmock, GTest::gmock_main.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TALLOWICK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its code is not held to the project's warnings.
foreach(target gtest gtest_main gmock gmock_main)
  set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "-w")
endforeach()
