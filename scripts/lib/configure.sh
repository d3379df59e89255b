# Sourced by the scripts that build: configure_tree DIR ARGS... configures the build folder
# DIR with the cmake arguments ARGS when it has no build files yet, or when it was
# configured with other arguments (kept in DIR/.tallowick-configure), so that a changed
# option always reaches the folder and an unchanged one costs nothing. The cache is made
# afresh then, so no value of the old configuration stays behind.
configure_tree() {
  local dir="$1"
  shift
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
