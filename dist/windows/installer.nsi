; SPDX-License-Identifier: GPL-3.0-or-later
; Kavrel's installer: in Simplified Chinese, for the current user alone, with no administrator
; rights; a Start-menu entry, a desktop shortcut only if asked, listed among the installed
; programs, and an uninstaller that takes everything away again. /S installs and uninstalls
; silently. Given on the command line: VERSION (1.0.0), DISPLAY_VERSION (1.00), FILES (the
; lists of what to install and uninstall, made from the program's folder), ICON, OUTFILE.
Unicode true
Target amd64-unicode
ManifestSupportedOS Win10
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kavrel"

Name "Kavrel"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kavrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
BrandingText "Kavrel ${DISPLAY_VERSION}"
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Kavrel"
VIAddVersionKey /LANG=2052 "ProductVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "Kavrel 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kavrel.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Kavrel" Program
  SectionIn RO
  ; An earlier Kavrel goes first, with its own uninstaller, so that nothing of it stays behind.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kavrel.lnk" "$INSTDIR\Kavrel.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kavrel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${DISPLAY_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kavrel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kavrel developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "桌面快捷方式" DesktopShortcut
  CreateShortcut "$DESKTOP\Kavrel.lnk" "$INSTDIR\Kavrel.exe"
SectionEnd

Section "Uninstall"
  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The user's own programs folder, if this installer made it and nothing else is in it.
  RMDir "$LOCALAPPDATA\Programs"
  Delete "$SMPROGRAMS\Kavrel.lnk"
  Delete "$DESKTOP\Kavrel.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
