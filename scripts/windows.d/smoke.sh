# The smoke run: the installer and the installed program under wine on a virtual display, against
# the two simulators running natively. Every check looks from outside: the installed files, wine's
# registry, the database, the simulators' pages and the windows on the display.
source "$ROOT/scripts/windows.d/installer.sh"
SMOKE_DIR="$PROGRAM_BUILD/smoke"
SMOKE_PIDS=()
SMOKE_PASSED=0
SMOKE_STEPS=0

smoke_cleanup() {
  local pid
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  for pid in "${SMOKE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

step_ok() { SMOKE_PASSED=$((SMOKE_PASSED + 1)); log "smoke $SMOKE_PASSED/$SMOKE_STEPS: $1"; }
step_failed() {
  log "smoke FAILED at: $1"
  screenshot "failure"
  exit 1
}
# check "what" command...: one smoke step, passed when the command succeeds.
check() {
  local what="$1"
  shift
  SMOKE_STEPS=$((SMOKE_STEPS + 1))
  if "$@"; then step_ok "$what"; else step_failed "$what"; fi
}
# Retries a command for up to $1 seconds.
within() {
  local seconds="$1" deadline
  shift
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge "$deadline" ] && return 1
    sleep 1
  done
}

screenshot() { import -display "$DISPLAY" -window root "$SMOKE_DIR/$1.png" 2>/dev/null || true; }

start_display() {
  exec {displayfd}<> <(:)
  Xvfb -displayfd "$displayfd" -screen 0 1280x800x24 -nolisten tcp >"$SMOKE_DIR/xvfb.log" 2>&1 &
  SMOKE_PIDS+=($!)
  local number
  read -r -t 10 -u "$displayfd" number || { log "Xvfb did not start"; exit 1; }
  export DISPLAY=":$number"
}

start_simulator() { # name port page
  "$SIMS_BUILD/simulators/${1%-simulator}/$1" >"$SMOKE_DIR/$1.log" 2>&1 &
  SMOKE_PIDS+=($!)
  within 20 curl -fs -o /dev/null --cacert "$SIMS_BUILD/simulators/certs/ca.pem" "https://localhost:$2$3" ||
    { log "the $1 does not answer on port $2"; exit 1; }
}

page() { curl -fs --cacert "$SIMS_BUILD/simulators/certs/ca.pem" "https://localhost:$1$2"; }
sql() { sqlite3 -cmd '.timeout 5000' "$INSTALLED/BD/BANCO.db" "$1"; }

main_window() { xdotool search --onlyvisible --name '^Brisko Derereve Vilamar - v' 2>/dev/null | head -n1; }
window_named() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
has_main_window() { [ -n "$(main_window)" ]; }
no_main_window() { [ -z "$(main_window)" ]; }
program_running() { pgrep -f 'BriskoDerereve.exe' >/dev/null; }
program_ended() { ! program_running; }
type_text() { xdotool type --delay 60 "$1"; }
key() { xdotool key --delay 120 "$@"; }

run_smoke() {
  [ -n "${INSTALLER:-}" ] || INSTALLER="$(ls "$INSTALLER_DIR"/BriskoDerereve-*-instalador.exe 2>/dev/null | head -n1)"
  [ -f "${INSTALLER:-}" ] || { log "no installer yet: run scripts/windows installer"; exit 1; }
  rm -rf "$SMOKE_DIR" && mkdir -p "$SMOKE_DIR"
  export WINEPREFIX="$SMOKE_DIR/prefix"
  trap smoke_cleanup EXIT
  start_display
  "$WINE" wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  start_simulator dispatch-simulator "$SMOKE_DISPATCH_PORT" /solicitacao/gestaoPedido
  start_simulator marketplace-simulator "$SMOKE_MARKETPLACE_PORT" /pedidos

  local user_dir
  user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
  INSTALLED="$user_dir/AppData/Local/Programs/BriskoDerereve"

  "$WINE" "$INSTALLER" /S
  /usr/lib/wine/wineserver -w
  check "the installer installs silently into the user's programs folder" \
    test -f "$INSTALLED/BriskoDerereve.exe" -a -f "$INSTALLED/BD/BANCO.db" -a -f "$INSTALLED/platforms/qwindows.dll"
  check "the Start-menu shortcut exists" \
    test -f "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brisko Derereve Vilamar.lnk"

  (cd "$INSTALLED" && "$WINE" BriskoDerereve.exe >"$SMOKE_DIR/program.log" 2>&1 &)
  check "the installed program starts and shows its window" within 60 has_main_window
  sleep 2
  screenshot "01-started"

  # The e-mail box has the focus at start; Enter in the password box signs in.
  type_text 'loja@demo.com'
  key Tab
  type_text 'demo123'
  key Return
  check "sign-in at the dispatch simulator stores the store's record" \
    within 30 test "$(sql "SELECT EMAIL FROM EMPRESA" 2>/dev/null)" = loja@demo.com
  check "the account dialog opens (no marketplace account yet)" within 20 window_named Cadastro
  screenshot "02-account-dialog"
  type_text 'loja-demo'
  key Tab
  type_text 'demo123'
  key Tab Return
  check "the account dialog saves the marketplace account" \
    within 20 test "$(sql "SELECT LOGIN FROM CONFIGDELIVERY" 2>/dev/null)" = loja-demo
  check "an order is imported from the marketplace simulator" \
    within 90 test "$(sql "SELECT COUNT(*) FROM PEDIDOS" 2>/dev/null || echo 0)" -gt 0
  sleep 3
  screenshot "03-orders"
}
