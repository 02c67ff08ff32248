source "$ROOT/scripts/windows.d/libraries.sh"
# BriskoDerereve.exe and its program folder, built against the cached Qt and libraries. The services
# are those of the build's constants: the simulators that the smoke run starts natively, unless a
# store's build names its own.
PROGRAM_BUILD="$ROOT/build/windows"
PROGRAM_STAGE="$PROGRAM_BUILD/stage/BriskoDerereve"
SIMS_BUILD="$ROOT/build/windows-simulators"
# The smoke run's simulator ports, below the range Linux and Windows hand out for outgoing connections.
SMOKE_DISPATCH_PORT="${BRISKO_SMOKE_DISPATCH_PORT:-27811}"
SMOKE_MARKETPLACE_PORT="${BRISKO_SMOKE_MARKETPLACE_PORT:-27812}"

# The simulators and their test CA, built natively for the smoke run.
build_native_simulators() {
  mkdir -p "$(dirname "$SIMS_BUILD")"
  cmake -S "$ROOT" -B "$SIMS_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF \
    -DBRISKO_DISPATCH_SIM_PORT="$SMOKE_DISPATCH_PORT" -DBRISKO_MARKETPLACE_SIM_PORT="$SMOKE_MARKETPLACE_PORT" \
    >"$SIMS_BUILD.configure.log" 2>&1 || { tail -n 30 "$SIMS_BUILD.configure.log" >&2; exit 1; }
  cmake --build "$SIMS_BUILD" --parallel "$JOBS" --target dispatch-simulator marketplace-simulator \
    >"$SIMS_BUILD.build.log" 2>&1 || { tail -n 30 "$SIMS_BUILD.build.log" >&2; exit 1; }
}

# Windows sees this machine's root as drive Z: under wine.
wine_path() { echo "Z:$1"; }

# The program's own files and the DLLs it loads: Qt's three, the Windows platform plugin, and the
# compiler's runtime. No other plugin: the look is drawn by our own style, images are PNG.
stage_program() {
  local stage="$PROGRAM_STAGE"
  rm -rf "$stage" && mkdir -p "$stage/platforms" "$stage/BD"
  cp "$PROGRAM_BUILD/program/BriskoDerereve.exe" "$PROGRAM_BUILD/program/fechar.bat" "$stage/"
  cp "$PROGRAM_BUILD/packaging/BD/BANCO.db" "$stage/BD/"
  cp "$QT_PREFIX/bin/Qt6Core.dll" "$QT_PREFIX/bin/Qt6Gui.dll" "$QT_PREFIX/bin/Qt6Widgets.dll" "$stage/"
  cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$stage/platforms/"
  local runtime=/usr/lib/gcc/$HOST_TRIPLE/12-posix
  cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" /usr/$HOST_TRIPLE/lib/libwinpthread-1.dll "$stage/"
  "$HOST_TRIPLE-strip" "$stage"/*.exe "$stage"/*.dll "$stage"/platforms/*.dll
}

build_program() {
  windows_deps
  [ -f "$QT_PREFIX/.built" ] || { log "no Qt for Windows yet: run scripts/windows toolchain"; exit 1; }
  build_windows_libraries "$LIBS_PREFIX" "$CACHE/src" # at once when the toolchain step built them
  build_native_simulators
  # The simulators' services, unless a store's build names its own, all of them, in
  # BRISKO_WINDOWS_CMAKE_ARGS="-DBRISKO_DISPATCH_API_URL=https://... -DBRISKO_CA_FILE= ..." (the same
  # values as a Linux release build; its configure checks apply).
  local services=() extra=()
  read -r -a extra <<<"${BRISKO_WINDOWS_CMAKE_ARGS:-}"
  if [ ${#extra[@]} -eq 0 ]; then
    services=(-DBRISKO_DISPATCH_SIM_PORT="$SMOKE_DISPATCH_PORT" -DBRISKO_MARKETPLACE_SIM_PORT="$SMOKE_MARKETPLACE_PORT"
      -DBRISKO_MARKETPLACE_API_URL="https://localhost:$SMOKE_MARKETPLACE_PORT"
      -DBRISKO_MARKETPLACE_PORTAL_URL="https://localhost:$SMOKE_MARKETPLACE_PORT"
      -DBRISKO_DISPATCH_API_URL="https://localhost:$SMOKE_DISPATCH_PORT"
      -DBRISKO_DISPATCH_WEB_URL="https://localhost:$SMOKE_DISPATCH_PORT"
      -DBRISKO_CA_FILE="$(wine_path "$SIMS_BUILD/simulators/certs/ca.pem")")
  fi
  export BRISKO_WINDOWS_PREFIXES="$LIBS_PREFIX"
  local started=$SECONDS
  "$QT_PREFIX/bin/qt-cmake" -S "$ROOT" -B "$PROGRAM_BUILD" -G Ninja \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
    -DCMAKE_BUILD_TYPE=Release -DBRISKO_BUILD_TESTS=OFF -DBRISKO_WERROR=ON \
    "${services[@]}" "${extra[@]}" \
    >"$PROGRAM_BUILD.configure.log" 2>&1 || { tail -n 40 "$PROGRAM_BUILD.configure.log" >&2; exit 1; }
  cmake --build "$PROGRAM_BUILD" --parallel "$JOBS" >"$PROGRAM_BUILD.build.log" 2>&1 ||
    { grep -m 20 -B 2 -A 8 'error' "$PROGRAM_BUILD.build.log" >&2 || tail -n 40 "$PROGRAM_BUILD.build.log" >&2; exit 1; }
  stage_program
  log "program built in $((SECONDS - started)) s: $PROGRAM_STAGE"
}
