# Sourced by the scripts that build: configure_tree DIR ARGS... configures the build folder
# DIR with the cmake arguments ARGS when it has no build files yet, or when it was
# configured with other arguments (kept in DIR/.tallowick-configure), so that a changed
# option always reaches the folder and an unchanged one costs nothing. The cache is made
# afresh then, so no value of the old configuration stays behind.
#
# Every tree compiles through the compiler cache, ccache, whose folder is beside the
# third-party builds: ${TALLOWICK_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tallowick}/ccache.
# The folder is part of the compiler launcher, so a later `cmake --build` by hand uses it
# too. TALLOWICK_CCACHE=0 (or no ccache installed) compiles without it.
configure_tree() {
  local dir="$1"
  shift
  if [ "${TALLOWICK_CCACHE:-1}" != "0" ] && command -v ccache >/dev/null; then
    local ccache_dir="${TALLOWICK_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tallowick}/ccache"
    mkdir -p "$ccache_dir"
    # Room for every build tree of a few work trees.
    local launcher="env;CCACHE_DIR=$ccache_dir;CCACHE_MAXSIZE=5G;ccache"
    set -- "$@" -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
  fi
  local wanted
  wanted=$(printf '%s\n' "$@")
  if [ -f "$dir/build.ninja" ] && [ "$(cat "$dir/.tallowick-configure" 2>/dev/null)" = "$wanted" ]; then
    return 0
  fi
  mkdir -p "$dir"
  rm -f "$dir/CMakeCache.txt" "$dir/.tallowick-configure"
  cmake -S . -B "$dir" -G Ninja "$@" || return 1
  printf '%s\n' "$wanted" >"$dir/.tallowick-configure"
}
