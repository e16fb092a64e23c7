; SPDX-License-Identifier: GPL-3.0-or-later
; Kavrel's installer: in Simplified Chinese, for the current user alone, with no administrator
; rights; a Start-menu entry, a desktop shortcut only if asked, listed among the installed
; programs, and an uninstaller that takes everything away again. /S installs and uninstalls
; silently. Neither touches a file while Kavrel runs. Given on the command line: DEFINES (what
; the build knows: VERSION, DISPLAY_VERSION, APP_ID, ICON, PICTURE), FILES (the lists of what to
; install and uninstall, made from the program's folder) and OUTFILE.
Unicode true
Target amd64-unicode
ManifestSupportedOS Win10
; Windows draws the pages at the display's scale itself, rather than stretching a 96 dpi bitmap.
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${DEFINES}"
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
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kavrel.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; A running Kavrel holds this mutex (app/RunningMark.cpp), whatever folder it runs from. Its
; program and libraries are then in use: Windows would refuse to replace or remove them, and
; half an upgrade or half an uninstall would be left. So nothing starts until it is closed: the
; user may close it and retry; cancelled, or silent, nothing is changed and the status is 2.
!macro WaitUntilKavrelIsClosed
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Local\${APP_ID}") p .r0'
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kavrel 正在运行。请先关闭 Kavrel，再点击“重试”。" /SD IDCANCEL IDRETRY`
      !insertmacro Refuse
    ${EndIf}
  ${Loop}
!macroend

!macro Refuse
  SetErrorLevel 2
  Quit
!macroend

Function WaitUntilKavrelIsClosed
  !insertmacro WaitUntilKavrelIsClosed
FunctionEnd

Function un.WaitUntilKavrelIsClosed
  !insertmacro WaitUntilKavrelIsClosed
FunctionEnd

Section "Kavrel" Program
  SectionIn RO
  Call WaitUntilKavrelIsClosed
  ; An earlier Kavrel goes first, with its own uninstaller, so that nothing of it stays behind;
  ; should it refuse, this installer changes nothing either.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    ExecWait '"$0\uninstall.exe" /S _?=$0' $1
    ${If} $1 != 0
      MessageBox MB_ICONSTOP "无法卸载已安装的 Kavrel，安装未进行。" /SD IDOK
      !insertmacro Refuse
    ${EndIf}
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
  Call un.WaitUntilKavrelIsClosed
  ; The program first: a Kavrel started since the check keeps its file, and then everything
  ; stays as it was.
  ClearErrors
  Delete "$INSTDIR\Kavrel.exe"
  ${IfNot} ${Errors}
    !insertmacro UninstallFiles
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "Kavrel 的文件正在使用，未能全部删除。请关闭 Kavrel 后再卸载。" /SD IDOK
    !insertmacro Refuse
  ${EndIf}
  !insertmacro UninstallFolders
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The user's own programs folder, if this installer made it and nothing else is in it.
  RMDir "$LOCALAPPDATA\Programs"
  Delete "$SMPROGRAMS\Kavrel.lnk"
  Delete "$DESKTOP\Kavrel.lnk"
  ; Last, once the files are gone: until then Kavrel stays listed, to be uninstalled again.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
