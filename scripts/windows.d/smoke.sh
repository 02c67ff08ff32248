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

# Wine lists the host's fonts through fontconfig; drawing the colour emoji font through its GDI
# crashes the program inside Qt's font fallback. Wine's own fonts and DejaVu stand in for Windows'
# fonts; the emoji show as empty boxes here (Windows draws them with its own emoji font).
limit_wine_fonts() {
  cat >"$SMOKE_DIR/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>$SMOKE_DIR/fontconfig-cache</cachedir>
</fontconfig>
EOF
  export FONTCONFIG_FILE="$SMOKE_DIR/fonts.conf"
}

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
# The database as the program committed it. Wine's shared-memory index of the WAL is not the one
# native SQLite maps, so the files are read from a copy, whose index SQLite rebuilds from the WAL.
sql() {
  local copy="$SMOKE_DIR/database-copy" file
  rm -rf "$copy" && mkdir -p "$copy"
  for file in BANCO.db BANCO.db-wal; do
    [ ! -f "$INSTALLED/BD/$file" ] || cp "$INSTALLED/BD/$file" "$copy/"
  done
  sqlite3 "$copy/BANCO.db" "$1" 2>>"$SMOKE_DIR/sql.log"
}

# Checks retried by `within` read the database anew at every try.
sql_is() { [ "$(sql "$1")" = "$2" ]; }
sql_has_rows() { [ -n "$(sql "$1")" ]; }

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
  limit_wine_fonts
  trap smoke_cleanup EXIT
  start_display
  "$WINE" wineboot -i >/dev/null 2>&1
  # Windows' own faces, which wine lacks, drawn with the face Linux uses for them.
  local face
  for face in "Segoe UI" "Arial Black"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "DejaVu Sans" /f >/dev/null 2>&1
  done
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
    within 30 sql_is "SELECT EMAIL FROM EMPRESA" loja@demo.com
  check "the account dialog opens (no marketplace account yet)" within 20 window_named Cadastro
  sleep 2 # the dialog takes the keyboard a moment after it shows
  screenshot "02-account-dialog"
  type_text 'loja-demo'
  key Tab
  type_text 'demo123'
  key Tab space # "SALVAR" is no default button: Return does not press it
  check "the account dialog saves the marketplace account" \
    within 20 sql_is "SELECT LOGIN FROM CONFIGDELIVERY" loja-demo
  check "an order is imported from the marketplace simulator" \
    within 90 sql_has_rows "SELECT ID FROM PEDIDOS"
  sleep 3
  screenshot "03-orders"

  local rovezor_orders="SELECT IDPEDIDO FROM PEDIDOS WHERE ID_MCH = 'ROVEZOR' ORDER BY ID"
  # Automatic scheduling on: a click on the box's text, at its place in the fixed-size window.
  xdotool mousemove --window "$(main_window)" 330 135 click 1
  check "automatic scheduling requests the courier and the order reaches ROVEZOR" \
    within 90 sql_has_rows "$rovezor_orders"
  check "the dispatch simulator holds exactly one delivery for that order" one_delivery_for "$(sql "$rovezor_orders" | head -n1)"
  screenshot "04-rovezor"

  check "a second start hands over to the running copy and ends with exit code 0" second_start_hands_over
  check "the running copy takes the hand-over (open\\open.ini consumed), one copy runs" \
    within 20 hand_over_taken
  check "the Run value is in wine's registry" \
    grep -q '^"BriskoDerereve"=".*BriskoDerereve.exe' "$WINEPREFIX/user.reg"

  # Alt+F4 asks the closing question; Return answers its default, Yes.
  xdotool windowactivate --sync "$(main_window)" 2>/dev/null || xdotool windowfocus --sync "$(main_window)"
  key alt+F4
  sleep 2
  screenshot "05-closing-question"
  key Return
  check "closing with Yes ends the program" within 30 program_ended

  # An update installs over the program and keeps the database; a silent removal keeps it too.
  local orders
  orders="$(sql "SELECT COUNT(*) FROM PEDIDOS")"
  "$WINE" "$INSTALLER" /S
  /usr/lib/wine/wineserver -w
  check "installing again over the program keeps the database (its $orders orders)" \
    sql_is "SELECT COUNT(*) FROM PEDIDOS" "$orders"
  "$WINE" "$INSTALLED/Desinstalar.exe" /S
  /usr/lib/wine/wineserver -w
  check "a silent removal takes the program, its shortcut and its Run value and keeps the database" \
    within 30 removed_but_database
  log "smoke passed: $SMOKE_PASSED of $SMOKE_STEPS steps; screenshots in $SMOKE_DIR"
}

one_delivery_for() { # order number
  page "$SMOKE_DISPATCH_PORT" /solicitacao/gestaoPedido >"$SMOKE_DIR/management-page.html"
  [ -n "$1" ] && [ "$(grep -c "<td>aiqfome $1</td>" "$SMOKE_DIR/management-page.html")" -eq 1 ]
}

second_start_hands_over() {
  local status=0
  (cd "$INSTALLED" && timeout 60 "$WINE" BriskoDerereve.exe >"$SMOKE_DIR/second-start.log" 2>&1) || status=$?
  log "the second start ended with exit code $status"
  [ "$status" -eq 0 ]
}

# The uninstaller copies itself elsewhere and runs from there: its work ends a moment later.
removed_but_database() {
  [ ! -e "$INSTALLED/BriskoDerereve.exe" ] && [ ! -e "$INSTALLED/Qt6Core.dll" ] &&
    [ ! -e "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Brisko Derereve Vilamar.lnk" ] &&
    ! grep -q '^"BriskoDerereve"=' "$WINEPREFIX/user.reg" && sql_has_rows "SELECT ID FROM PEDIDOS"
}

hand_over_taken() {
  [ ! -e "$INSTALLED/open/open.ini" ] && [ "$(pgrep -fc 'BriskoDerereve.exe')" -eq 1 ] && has_main_window
}
