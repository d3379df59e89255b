# Sourced by the scripts that cross-build the Windows programs (scripts/test-windows,
# scripts/package).
#
# windows_libraries REPORT [WHY] builds, or finds in the cache, the third-party libraries
# that the programs and their suites link: Qt, SQLite, OpenSSL and libpq
# (scripts/build-NAME-windows), one after the other, with their progress on standard error.
# It calls `REPORT passed TITLE "N s"` after each, or `REPORT failed TITLE WHY` and returns 1
# at the first that fails.
# Then windows_cmake_args holds the cmake arguments of a Windows tree against them.
windows_libraries() {
  local report="$1" why="${2:-}" item name title t dir
  local -A found
  for item in "qt:Qt" "sqlite:SQLite" "openssl:OpenSSL" "libpq:libpq"; do
    name=${item%%:*}
    title="${item#*:} for Windows"
    t=$SECONDS
    if dir=$(./scripts/build-"$name"-windows | tail -1) && [ -d "$dir" ]; then
      found[$name]=$dir
      "$report" passed "$title" "$((SECONDS - t)) s"
    else
      "$report" failed "$title" "$why"
      return 1
    fi
  done
  windows_cmake_args=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
    -DTALLOWICK_QT6_PREFIX="${found[qt]}" -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DSQLite3_INCLUDE_DIR="${found[sqlite]}/include"
    -DSQLite3_LIBRARY="${found[sqlite]}/lib/libsqlite3.a"
    -DTALLOWICK_OPENSSL_PREFIX="${found[openssl]}" -DTALLOWICK_LIBPQ_PREFIX="${found[libpq]}")
}

# windows_foreign_dlls EXE prints the DLLs that EXE imports and that are not Windows' own
# (the compiler's runtimes, Qt, SQLite, libpq, OpenSSL): nothing for a program that is one
# file.
windows_foreign_dlls() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    grep -iE "qt6|libstdc|libgcc|winpthread|sqlite|libpq|libssl|libcrypto"
}
