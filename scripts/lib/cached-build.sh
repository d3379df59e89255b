# Sourced by the scripts that build a third-party library for Windows once and keep it,
# outside the work tree, in
#   cache=${TALLOWICK_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tallowick}
# shared by every work tree (and every branch) of the machine.
#
# cached_build NAME VERSION FILE... names the build NAME-VERSION-mingw-KEY, where KEY is a
# hash of the FILEs (the build script and whatever else shapes the result) and of the
# installed mingw-w64 compilers and headers, so that a change to any of them builds anew. It
# sets
#   prefix  $cache/NAME-VERSION-mingw-KEY, where the build installs to
#   work    $cache/NAME-work-KEY, an empty folder for the build itself
#   log     $cache/NAME-build.log, for the build's output
# and holds $cache/NAME.lock until the script ends: one build of NAME at a time per cache,
# however many work trees ask for it. When the build is in the cache already it prints the
# prefix and ends the script. cached_build_done marks the build complete, prints the time
# it took and, as the last line on standard output, the prefix.
cached_build() {
  local name="$1" version="$2"
  shift 2
  local key
  key=$(
    cat "$@"
    dpkg-query -W gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  ) || return 1
  key=$(sha256sum <<<"$key" | cut -c1-12)
  cache="${TALLOWICK_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tallowick}"
  prefix="$cache/$name-$version-mingw-$key"
  work="$cache/$name-work-$key"
  log="$cache/$name-build.log"
  cached_build_name="$name"
  mkdir -p "$cache"
  exec 9>"$cache/$name.lock"
  flock 9
  if [ -f "$prefix/.complete" ]; then
    # Builds of other keys (other branches' scripts) stay while they are in use.
    touch "$prefix/.complete"
    echo "$prefix"
    exit 0
  fi
  # A build cut off leaves its folders behind; with the lock held, none of them is in use.
  rm -rf "$cache/$name"-work-* "$prefix"
  mkdir -p "$work"
  : >"$log"
  cached_build_started=$SECONDS
}

cached_build_done() {
  touch "$prefix/.complete"
  rm -rf "$work"
  # Builds of other keys that nobody has asked for in a month are of no further use.
  find "$cache" -mindepth 2 -maxdepth 2 -name .complete -path "$cache/$cached_build_name-*" \
    -mtime +30 -printf '%h\n' | xargs -r rm -rf
  echo "$cached_build_name: built in $((SECONDS - cached_build_started)) s" >&2
  echo "$prefix"
}
