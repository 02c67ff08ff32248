# The NSIS installer of the staged program folder.
source "$ROOT/scripts/windows.d/program.sh"
INSTALLER_DIR="$PROGRAM_BUILD/installer"

# Lists the staged files (all but the database, which the installer treats apart) as NSIS lines:
# one include that installs them, one that removes exactly them.
write_file_lists() {
  local files="$1" unfiles="$2" rel win dir
  : >"$files"
  : >"$unfiles"
  local dirs=()
  while IFS= read -r rel; do
    win="${rel//\//\\}"
    dir="$(dirname "$rel")"
    if [ "$dir" = . ]; then
      echo "SetOutPath \"\$INSTDIR\"" >>"$files"
    else
      echo "SetOutPath \"\$INSTDIR\\${dir//\//\\}\"" >>"$files"
      dirs+=("${dir//\//\\}")
    fi
    echo "File \"$PROGRAM_STAGE/$rel\"" >>"$files"
    echo "Delete \"\$INSTDIR\\$win\"" >>"$unfiles"
  done < <(cd "$PROGRAM_STAGE" && find . -type f ! -path ./BD/BANCO.db -printf '%P\n' | sort)
  local d
  for d in $(printf '%s\n' "${dirs[@]}" | sort -u -r); do echo "RMDir \"\$INSTDIR\\$d\"" >>"$unfiles"; done
}

build_installer() {
  [ -f "$PROGRAM_STAGE/BriskoDerereve.exe" ] || { log "no program staged yet: run scripts/windows program"; exit 1; }
  local version
  version="$(sed -n 's/^project(BriskoDerereve VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
  mkdir -p "$INSTALLER_DIR"
  write_file_lists "$INSTALLER_DIR/files.nsh" "$INSTALLER_DIR/unfiles.nsh"
  INSTALLER="$INSTALLER_DIR/BriskoDerereve-$version-instalador.exe"
  makensis -V2 -DVERSION="$version" -DSTAGE="$PROGRAM_STAGE" -DICON="$ROOT/packaging/windows/briskoderereve.ico" \
    -DFILES="$INSTALLER_DIR/files.nsh" -DUNFILES="$INSTALLER_DIR/unfiles.nsh" -DOUTFILE="$INSTALLER" \
    "$ROOT/packaging/windows/BriskoDerereve.nsi" >"$INSTALLER_DIR/makensis.log" 2>&1 ||
    { tail -n 30 "$INSTALLER_DIR/makensis.log" >&2; exit 1; }
  log "installer: $INSTALLER ($(du -k "$INSTALLER" | cut -f1) KiB)"
}
