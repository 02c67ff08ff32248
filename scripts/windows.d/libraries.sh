# SQLite, libcurl (over Schannel: Windows' own TLS and certificate store, no OpenSSL to ship) and
# GoogleTest for Windows, built from the distribution's source packages into a prefix of their own.

# build_windows_libraries PREFIX SOURCES [gtest]
build_windows_libraries() {
  local prefix="$1" sources="$2" with_gtest="${3:-}"
  mkdir -p "$prefix" "$sources"
  build_sqlite "$prefix" "$sources"
  build_curl "$prefix" "$sources"
  # RapidJSON is headers only: the distribution's own serve Windows as they are.
  mkdir -p "$prefix/include" && cp -r /usr/include/rapidjson "$prefix/include/"
  if [ "$with_gtest" = gtest ]; then build_gtest "$prefix" "$sources"; fi
}

# The amalgamation is generated with the host's tools, then compiled for Windows as a static library.
build_sqlite() {
  local prefix="$1" sources="$2"
  [ -f "$prefix/lib/libsqlite3.a" ] && return 0
  log "SQLite for Windows"
  fetch_source sqlite3 "$sources/sqlite3"
  local work="$sources/sqlite3-build"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && "$sources/sqlite3/configure" --quiet >/dev/null && make -s sqlite3.c sqlite3.h >/dev/null)
  local cc="$HOST_TRIPLE-gcc-posix"
  "$cc" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -c "$work/sqlite3.c" -o "$work/sqlite3.o"
  mkdir -p "$prefix/lib" "$prefix/include"
  "$HOST_TRIPLE-ar" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
  cp "$work/sqlite3.h" "$sources/sqlite3/src/sqlite3ext.h" "$prefix/include/" 2>/dev/null ||
    cp "$work/sqlite3.h" "$prefix/include/"
  rm -rf "$work"
}

# Configures, builds and installs source package $1's CMake project for Windows, as static
# libraries, into $2 (sources unpacked in $3); the rest are the project's own options.
install_cmake_package() {
  local package="$1" prefix="$2" sources="$3"
  shift 3
  fetch_source "$package" "$sources/$package"
  local work="$sources/$package-build"
  rm -rf "$work"
  cmake -S "$sources/$package" -B "$work" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" \
    >"$sources/$package.configure.log" 2>&1 || { tail -n 30 "$sources/$package.configure.log" >&2; exit 1; }
  cmake --build "$work" --parallel "$JOBS" >"$sources/$package.build.log" 2>&1 ||
    { tail -n 30 "$sources/$package.build.log" >&2; exit 1; }
  cmake --install "$work" >/dev/null
  rm -rf "$work"
}

# Only HTTP(S), TLS by Schannel, no compression or name libraries: nothing else to ship or patch.
build_curl() {
  [ -f "$1/lib/libcurl.a" ] && return 0
  log "libcurl (Schannel) for Windows"
  install_cmake_package curl "$1" "$2" \
    -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF \
    -DUSE_WIN32_IDN=OFF -DENABLE_UNICODE=ON -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON \
    -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_NTLM=ON -DENABLE_MANUAL=OFF -DPICKY_COMPILER=OFF
}

build_gtest() {
  [ -f "$1/lib/libgtest.a" ] && return 0
  log "GoogleTest for Windows"
  install_cmake_package googletest "$1" "$2" -Dgtest_disable_pthreads=OFF
}
