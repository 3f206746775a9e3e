; The Windows installer of Stavnik CFG, made by scripts/windows.sh with Debian's makensis:
;   makensis -DVERSION=3.0 -DSTAGE=<folder with the programs> -DICON=<.ico> -DOUTFILE=<setup.exe>
;            stavnik-cfg.nsi
; For the current user only, without administrator rights: the programs under
; %LOCALAPPDATA%\Programs, the Start menu, the uninstaller and "Open with" in HKCU.
; /S installs and uninstalls silently.
; 64-bit like the programs: a 32-bit Windows is refused at once.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Stavnik CFG"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\StavnikCFG"
; A type of its own that only offers itself in "Open with" for .txt; the default stays.
!define PROGID "StavnikCFG.DataFile"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "Software\${PRODUCT}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\stavnik-cfg.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\CTIMNE.txt"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_CZECH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_CZECH} "FileDescription" "${PRODUCT} - instalace"
VIAddVersionKey /LANG=${LANG_CZECH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "LegalCopyright" "Copyright 2026 Stavnik CFG authors"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\stavnik-cfg.exe"
  File "${STAGE}\stavnikctl.exe"
  File "${STAGE}\stavnikctl-help.txt"
  File "${STAGE}\CTIMNE.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\${PRODUCT}" "InstallDir" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\stavnik-cfg.exe"
  ; A shortcut starts in the current output folder: the command prompt opens beside stavnikctl.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Příkazový řádek stavnikctl.lnk" "$SYSDIR\cmd.exe" \
    "/k stavnikctl --help" "$INSTDIR\stavnikctl.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Čti mě.lnk" "$INSTDIR\CTIMNE.txt"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Odinstalovat ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  ; "Open with" for data files, never the default program of .txt.
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Data Stavnik CFG"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\stavnik-cfg.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\stavnik-cfg.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\.txt\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "Software\Classes\Applications\stavnik-cfg.exe" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKCU "Software\Classes\Applications\stavnik-cfg.exe\SupportedTypes" ".txt" ""
  WriteRegStr HKCU "Software\Classes\Applications\stavnik-cfg.exe\shell\open\command" "" \
    '"$INSTDIR\stavnik-cfg.exe" "%1"'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\stavnik-cfg.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Stavnik CFG authors"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Zástupce na ploše" SecDesktop
  SetShellVarContext current
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\stavnik-cfg.exe"
SectionEnd

LangString DESC_PROGRAM ${LANG_CZECH} "Stavnik CFG, stavnikctl pro příkazový řádek, nabídka Start a „Otevřít pomocí“ pro soubory .txt."
LangString DESC_DESKTOP ${LANG_CZECH} "Zástupce Stavnik CFG na ploše."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_PROGRAM)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} $(DESC_DESKTOP)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The user's settings and history (%LOCALAPPDATA%\stavnik-cfg) stay: they are the user's data.
Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\stavnik-cfg.exe"
  Delete "$INSTDIR\stavnikctl.exe"
  Delete "$INSTDIR\stavnikctl-help.txt"
  Delete "$INSTDIR\CTIMNE.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegValue HKCU "Software\Classes\.txt\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\.txt\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.txt"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  DeleteRegKey HKCU "Software\Classes\Applications\stavnik-cfg.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\${PRODUCT}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
