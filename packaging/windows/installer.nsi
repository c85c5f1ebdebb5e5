; The Windows installer, made by scripts/package-windows with makensis, which defines VERSION,
; STAGE (the folder tilestack-VERSION/ of the zip), ICON (the game's icon file) and OUTFILE.
; A 64-bit installer, like the programs it installs (it runs where they run).
Target amd64-unicode
Name "tilestack ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\tilestack"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tilestack"

Section "tilestack"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\tilestack"
  CreateShortcut "$SMPROGRAMS\tilestack\tilestack.lnk" "$INSTDIR\tilestack.exe" "" "$INSTDIR\tilestack.exe" 0
  ; The layout editor is the game started with an argument.
  CreateShortcut "$SMPROGRAMS\tilestack\tilestack layout editor.lnk" "$INSTDIR\tilestack.exe" "edit" "$INSTDIR\tilestack.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "tilestack"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tilestack.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
SectionEnd

; What the installer put there, file by file: a player's own folder under %APPDATA% stays.
Section "Uninstall"
  SetShellVarContext all
  !include "${STAGE}.uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\tilestack\tilestack.lnk"
  Delete "$SMPROGRAMS\tilestack\tilestack layout editor.lnk"
  RMDir "$SMPROGRAMS\tilestack"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
