# Shared by the steps of scripts/windows: the places, the tools, and the distribution's sources.
CACHE="${BRISKO_WINDOWS_CACHE:-$HOME/.cache/briskoderereve-windows}"
TOOLCHAIN_FILE="$ROOT/cmake/toolchains/mingw-w64-posix.cmake"
QT_PREFIX="$CACHE/qt6"
LIBS_PREFIX="$CACHE/libs" # SQLite and libcurl for the program
HOST_TRIPLE=x86_64-w64-mingw32
JOBS="$(nproc)"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
WINE=/usr/lib/wine/wine64

log() { echo "windows: $*" >&2; }

# The packages come from the project's one list.
windows_deps() { "$ROOT/scripts/deps" >&2; }

# Source packages come from the distribution: a deb-src twin of its apt sources is added once.
enable_source_packages() {
  if apt-get source --print-uris sqlite3 >/dev/null 2>&1; then return 0; fi
  if [ "$(id -u)" -ne 0 ]; then
    log "the distribution's source packages are not enabled (add a deb-src entry, as root)"
    exit 1
  fi
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    case "$f" in *-src.sources) continue ;; esac
    sed 's/^Types: deb$/Types: deb-src/' "$f" >"${f%.sources}-src.sources"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/brisko-src.list
  fi
  apt-get update -qq
}

# Unpacks (with the distribution's patches applied) source package $1 into $2/, once.
fetch_source() {
  local package="$1" into="$2"
  if [ -f "$into/.unpacked" ]; then return 0; fi
  rm -rf "$into" "$into.tmp"
  mkdir -p "$into.tmp"
  (cd "$into.tmp" && apt-get source -qq "$package" >/dev/null 2>&1) || {
    log "apt-get source $package failed"
    exit 1
  }
  local dir
  dir="$(find "$into.tmp" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  mv "$dir" "$into"
  rm -rf "$into.tmp"
  touch "$into/.unpacked"
}
