# Sourced by the scripts that build a third-party library for Windows from Debian's own
# source packages: debian_source CACHE PACKAGE VERSION LOG fetches and unpacks the source
# package PACKAGE of version VERSION into CACHE/source-PACKAGE-VERSION (kept there between
# builds, so a changed build script does not fetch it again) and prints the unpacked tree.
# apt's output goes to LOG.
#
# The source is fetched with a private apt configuration in CACHE/apt: its own source list,
# made from the machine's Debian entries as deb-src, and its own lists and cache folders;
# the machine's apt configuration is left as it is. Several scripts may fetch at once: the
# private configuration is used by one at a time. Needs dpkg-dev.
debian_source() {
  local cache="$1" package="$2" version="$3" log="$4"
  local dir="$cache/source-$package-$version"
  if [ ! -f "$dir/.complete" ]; then
    echo "fetching the source of $package $version" >&2
    (
      flock 8
      # Another script may have fetched it while this one waited.
      [ -f "$dir/.complete" ] && exit 0
      local apt_dir="$cache/apt" f
      mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" \
        "$apt_dir/cache/archives/partial"
      rm -f "$apt_dir/sources.list.d/"*
      : >"$apt_dir/sources.list"
      if [ -f /etc/apt/sources.list ]; then
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list \
          >"$apt_dir/sources.list"
      fi
      for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        sed -E 's/^Types:.*\<deb\>.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/${f##*/}"
      done
      for f in /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt_dir/sources.list"
      done
      local apt_private=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache=$apt_dir/cache"
        -o "APT::Sandbox::User=root")
      rm -rf "$dir"
      mkdir -p "$dir"
      apt-get "${apt_private[@]}" update >>"$log" 2>&1 || {
        echo "apt-get update failed, see $log" >&2
        rm -rf "$dir"
        exit 1
      }
      (cd "$dir" && apt-get "${apt_private[@]}" source --only-source "$package=$version") \
        >>"$log" 2>&1 || {
        echo "apt-get source $package=$version failed, see $log; the archive holds" \
          $(apt-cache "${apt_private[@]}" showsrc --only-source "$package" |
            sed -n 's/^Version: //p') >&2
        rm -rf "$dir"
        exit 1
      }
      touch "$dir/.complete"
    ) 8>"$cache/apt.lock" || return 1
  fi
  local tree
  tree=$(find "$dir" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -1)
  [ -n "$tree" ] || {
    echo "no unpacked source of $package in $dir" >&2
    return 1
  }
  echo "$tree"
}
