# The Qt-free core and its test suites built for Windows and run under wine, against simulators that
# run natively in sim-host. Its libraries are built inside its own build folder (a CI run starts
# from nothing; a later run on the same folder reuses them).
source "$ROOT/scripts/windows.d/libraries.sh"
CORE_BUILD="$ROOT/build/windows-core"

# A wine prefix of its own, with wine's null display driver: the suites open no window.
make_wine_prefix() {
  export WINEPREFIX="$CORE_BUILD/wineprefix"
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.ready"
  fi
}

run_core() {
  windows_deps
  enable_source_packages
  local started=$SECONDS libs="$CORE_BUILD/libs" native="$CORE_BUILD/native" cross="$CORE_BUILD/cross"
  mkdir -p "$CORE_BUILD"
  build_windows_libraries "$libs" "$CORE_BUILD/sources" gtest
  log "libraries ready after $((SECONDS - started)) s"

  # sim-host and the test certificates, natively.
  cmake -S "$ROOT" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKO_BUILD_UI=OFF \
    -DBRISKO_BUILD_TESTS=OFF >"$CORE_BUILD/native.configure.log" 2>&1 ||
    { tail -n 30 "$CORE_BUILD/native.configure.log" >&2; exit 1; }
  cmake --build "$native" --parallel "$JOBS" --target sim-host brisko_test_certs \
    >"$CORE_BUILD/native.build.log" 2>&1 || { tail -n 30 "$CORE_BUILD/native.build.log" >&2; exit 1; }

  export BRISKO_WINDOWS_PREFIXES="$libs"
  cmake -S "$ROOT" -B "$cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=ON \
    -DBRISKO_REMOTE_SIMULATORS=ON -DCMAKE_EXE_LINKER_FLAGS=-static \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE" \
    >"$CORE_BUILD/cross.configure.log" 2>&1 || { tail -n 40 "$CORE_BUILD/cross.configure.log" >&2; exit 1; }
  make_wine_prefix
  # Test discovery runs each suite under wine too.
  cmake --build "$cross" --parallel "$JOBS" >"$CORE_BUILD/cross.build.log" 2>&1 ||
    { grep -m 10 -A 12 -E 'error|FAILED' "$CORE_BUILD/cross.build.log" >&2 || tail -n 40 "$CORE_BUILD/cross.build.log" >&2; exit 1; }
  log "core built for Windows after $((SECONDS - started)) s; running its suites under wine"

  local status=0
  "$native/simulators/host/sim-host" -- ctest --test-dir "$cross" --output-on-failure --no-tests=error \
    -j "$JOBS" || status=$?
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  log "core under wine: $([ $status -eq 0 ] && echo passed || echo FAILED) after $((SECONDS - started)) s"
  return $status
}
