# Cross-building the Windows programs and their tests on Debian with mingw-w64:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The posix-threads variant of the compiler, so that std::thread works; everything is
# linked statically, so the .exe files run (also under Wine) without DLLs of the compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLOWICK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLOWICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLOWICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLOWICK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLOWICK_MINGW_TRIPLE})
# A Qt 6 built for mingw-w64, for the desktop windows (see docs/windows.md).
if(TALLOWICK_QT6_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TALLOWICK_QT6_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${TALLOWICK_QT6_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Where the GoogleTest sources are built from for the test suites (Debian's googletest).
set(TALLOWICK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
