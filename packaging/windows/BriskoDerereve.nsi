; The Windows installer: per user, without administrator rights. The program writes its database and
; its markers beside itself, so it goes to the user's own programs folder, never under Program Files.
;
; makensis -DVERSION=x.y.z -DSTAGE=<program folder> -DFILES=<files.nsh> -DUNFILES=<unfiles.nsh>
;          -DOUTFILE=<installer.exe> BriskoDerereve.nsi
; FILES installs every file of the program folder but the database; UNFILES deletes the same files.
; The program is 64-bit, and so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "BriskoDerereve"
!define OPERATOR "Brisko Derereve Vilamar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${OPERATOR}"
Caption "${OPERATOR} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the last installation went, so its database is found and kept.
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
BrandingText "${OPERATOR} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1046 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1046 "CompanyName" "${OPERATOR}"
VIAddVersionKey /LANG=1046 "FileDescription" "Instalador do ${PRODUCT}"
VIAddVersionKey /LANG=1046 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1046 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1046 "LegalCopyright" "${OPERATOR}"

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\BriskoDerereve.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Abrir o ${PRODUCT} agora"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

; Files of a running copy cannot be replaced or removed: the operator closes it first. The copy is
; found by its instance lock, the mutex of the current logon session named after the executable.
!macro WaitUntilClosed un
Function ${un}WaitUntilClosed
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "BriskoDerereve.exeMutex") p .r0'
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "O ${PRODUCT} está aberto. Feche o programa (responda Sim ao fechar) e clique em Repetir." \
      /SD IDCANCEL IDRETRY retry
    Abort
  retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Section "Programa"
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  ; The database holds the store's sign-in, account and orders: an update never replaces it.
  SetOutPath "$INSTDIR\BD"
  SetOverwrite off
  File "${STAGE}\BD\BANCO.db"
  SetOverwrite on
  SetOutPath "$INSTDIR"

  CreateShortcut "$SMPROGRAMS\${OPERATOR}.lnk" "$INSTDIR\BriskoDerereve.exe"
  WriteUninstaller "$INSTDIR\Desinstalar.exe"
  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${OPERATOR}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${OPERATOR}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\BriskoDerereve.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Desinstalar.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Desinstalar.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.WaitUntilClosed
  !include "${UNFILES}"
  Delete "$INSTDIR\Desinstalar.exe"
  RMDir /r "$INSTDIR\open"
  ; The database goes only when the operator asks; a silent removal keeps it.
  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION \
    "Apagar também o banco de dados (conta da loja, configurações e pedidos)?" /SD IDNO IDNO keep_database
  Delete "$INSTDIR\BD\BANCO.db"
  Delete "$INSTDIR\BD\BANCO.db-wal"
  Delete "$INSTDIR\BD\BANCO.db-shm"
  Delete "$INSTDIR\BD\BANCO.db-journal"
  Delete "$INSTDIR\BD\BANCO.db.lock"
  RMDir "$INSTDIR\BD"
keep_database:
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${OPERATOR}.lnk"
  ; The program writes its autostart entry at every start; a removed program must not be started.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  StrCpy $1 '"$INSTDIR\BriskoDerereve.exe" --autostart'
  ${If} $0 == $1
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
