; The Windows installer of Salvind, made with makensis on the build machine
; (package/windows/installer.cmake passes the defines: VERSION, ARCH,
; OUTFILE, EXE, DATA, DISCLAIMER, ICON and FILES_NSH, which lists the games). It installs
; the client in Program Files as an installed tree:
;   bin\salvind.exe, share\salvind\data\..., share\salvind\games\<game>.exe
; so the client keeps everything it writes in the player's own folder
; (%LOCALAPPDATA%\Salvind), which the uninstaller leaves alone.

Unicode true
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Salvind"

Name "Salvind ${VERSION}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x86_64"
  InstallDir "$PROGRAMFILES64\Salvind"
!else
  InstallDir "$PROGRAMFILES\Salvind"
!endif
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
BrandingText "Salvind ${VERSION}"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!include "${FILES_NSH}"

Section "Salvind"
  SetShellVarContext all
  SetOutPath "$INSTDIR\bin"
  File "${EXE}"
  SetOutPath "$INSTDIR\share\salvind\data\common"
  File "${DATA}/common/orva.ors"
  SetOutPath "$INSTDIR\share\salvind\data\Salvind"
  File "${DATA}/Salvind/start.oim"
  File "${DATA}/Salvind/salvind.ors"
  File "${DATA}/Salvind/salvind.oim"
  File "${DISCLAIMER}"
  SetOutPath "$INSTDIR\share\salvind\games"
  !insertmacro InstallGames

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts the client from its bin folder.
  SetOutPath "$INSTDIR\bin"
  CreateShortCut "$SMPROGRAMS\Salvind.lnk" "$INSTDIR\bin\salvind.exe"

  WriteRegStr HKLM "${KEY}" "DisplayName" "Salvind"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "The Salvind developers"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\bin\salvind.exe"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes; a folder that still holds
; something else stays.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Salvind.lnk"
  Delete "$INSTDIR\bin\salvind.exe"
  Delete "$INSTDIR\share\salvind\data\common\orva.ors"
  Delete "$INSTDIR\share\salvind\data\Salvind\start.oim"
  Delete "$INSTDIR\share\salvind\data\Salvind\salvind.ors"
  Delete "$INSTDIR\share\salvind\data\Salvind\salvind.oim"
  Delete "$INSTDIR\share\salvind\data\Salvind\disclaim.otx"
  !insertmacro UninstallGames
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\share\salvind\games"
  RMDir "$INSTDIR\share\salvind\data\Salvind"
  RMDir "$INSTDIR\share\salvind\data\common"
  RMDir "$INSTDIR\share\salvind\data"
  RMDir "$INSTDIR\share\salvind"
  RMDir "$INSTDIR\share"
  RMDir "$INSTDIR\bin"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
