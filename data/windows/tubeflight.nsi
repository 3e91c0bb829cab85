; SPDX-License-Identifier: MIT
; The Windows installer of tubeflight, made by makensis:
;   makensis -DVERSION=1.0.0 -DFILES=folder -DOUTFILE=tubeflight-1.0.0-setup.exe tubeflight.nsi
; FILES holds what the zip holds. It installs for the current user or for
; all users (a choice page; /CurrentUser or /AllUsers on the command line,
; all users by default where the user may), puts both programs in the Start
; menu, and registers itself with Windows' "Apps" (Add/Remove Programs) with
; its version and uninstaller. /S installs, and uninstalls, silently.

; A 64-bit installer for the 64-bit programs: it runs where they can, and
; Windows shows it, and its registry entry, as the 64-bit program it is.
Target amd64-unicode
SetCompressor /SOLID lzma

!define NAME "tubeflight"
!define PUBLISHER "The tubeflight developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${NAME}"
!define MULTIUSER_USE_PROGRAMFILES64
; Where an earlier installation is found, and in which mode it was made.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${NAME} installer"
VIAddVersionKey "LegalCopyright" "MIT licence; SDL 1.2: LGPL 2.1"
VIAddVersionKey "CompanyName" "${PUBLISHER}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Warning: the flight flashes. High-contrast bands rush past and fill the whole picture, flashing far more than 3 times a second. Do not watch it if you have photosensitive epilepsy or are otherwise affected by flashing light. Escape ends the flight at any moment."
!define MUI_FINISHPAGE_RUN "$INSTDIR\tubeflight.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "tubeflight"
  SetOutPath "$INSTDIR"
  File "${FILES}\tubeflight.exe"
  File "${FILES}\tubeflight-fs.exe"
  File "${FILES}\SDL.dll"
  File "${FILES}\README.txt"
  File "${FILES}\LICENSE.txt"
  File "${FILES}\SDL-LICENSE.txt"
  File "${FILES}\SDL-SOURCE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\tubeflight.lnk" "$INSTDIR\tubeflight.exe" "" "$INSTDIR\tubeflight.exe" 0 \
    SW_SHOWNORMAL "" "Fly through the knot tube in a window"
  CreateShortcut "$SMPROGRAMS\tubeflight (full screen).lnk" "$INSTDIR\tubeflight-fs.exe" "" \
    "$INSTDIR\tubeflight-fs.exe" 0 SW_SHOWNORMAL "" "Fly through the knot tube on the whole screen"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tubeflight.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\tubeflight.lnk"
  Delete "$SMPROGRAMS\tubeflight (full screen).lnk"
  Delete "$INSTDIR\tubeflight.exe"
  Delete "$INSTDIR\tubeflight-fs.exe"
  Delete "$INSTDIR\SDL.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\SDL-LICENSE.txt"
  Delete "$INSTDIR\SDL-SOURCE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; What a per-user install may have been the first to make, when nothing
  ; else is in it.
  ${If} $MultiUser.InstallMode == CurrentUser
    RMDir "$LOCALAPPDATA\Programs"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  ${EndIf}
SectionEnd
