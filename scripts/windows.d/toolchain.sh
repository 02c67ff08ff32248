# The libraries for Windows, built once into the cache from the distribution's source packages.
source "$ROOT/scripts/windows.d/libraries.sh"
build_qt() {
  if [ -f "$QT_PREFIX/.built" ]; then return 0; fi
  fetch_source qt6-base "$CACHE/src/qt6-base"
  local build="$CACHE/build/qt6-base"
  rm -rf "$build" "$QT_PREFIX"
  log "building Qt for Windows (about 1,100 steps; 20-30 minutes on two cores)"
  # Only what the program uses: Core, Gui, Widgets and the Windows platform plugin, as shared DLLs.
  # The source package leaves out the tablet library, so tablet events go too.
  cmake -S "$CACHE/src/qt6-base" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$QT_PREFIX" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_pkg_config=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF \
    -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF \
    >"$CACHE/build/qt6-base.configure.log" 2>&1 || {
    tail -n 40 "$CACHE/build/qt6-base.configure.log" >&2
    exit 1
  }
  cmake --build "$build" --parallel "$JOBS" >"$CACHE/build/qt6-base.build.log" 2>&1 || {
    tail -n 40 "$CACHE/build/qt6-base.build.log" >&2
    exit 1
  }
  cmake --install "$build" >/dev/null
  touch "$QT_PREFIX/.built"
  rm -rf "$build"
}

build_toolchain() {
  windows_deps
  enable_source_packages
  mkdir -p "$CACHE/src" "$CACHE/build"
  local started=$SECONDS
  build_qt
  build_windows_libraries "$LIBS_PREFIX" "$CACHE/src" gtest
  log "toolchain ready in $((SECONDS - started)) s: $CACHE"
}
