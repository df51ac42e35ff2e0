; The Varne installer, for makensis 3. The build hands in the version and
; every file (cmake/VarneWindowsArtefacts.cmake runs makensis -DVARNE_...);
; nothing here names a version or a build path.
;
; Administrators install per-machine, into Program Files; everyone else, or
; anyone who passes /CurrentUser, per-user into their own programs folder
; without elevation. /AllUsers asks for the per-machine install, /S runs
; without a window, /D=folder (last on the command line) picks the folder.
; Run over an installed Varne, it replaces that one in its own folder.

!macro VarneRequire name
  !ifndef ${name}
    !error "makensis needs -D${name}=..."
  !endif
!macroend
!insertmacro VarneRequire VARNE_VERSION
!insertmacro VarneRequire VARNE_VERSION_QUAD
!insertmacro VarneRequire VARNE_PROGRAM
!insertmacro VarneRequire VARNE_README
!insertmacro VarneRequire VARNE_LICENSE
!insertmacro VarneRequire VARNE_ICON
!insertmacro VarneRequire VARNE_OUTFILE

; varne.exe is a 64-bit program, so the installer is one too: it then sees
; the 64-bit Program Files and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma

!define VARNE_PUBLISHER "The Varne developers"
!define VARNE_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varne"

Name "Varne"
OutFile "${VARNE_OUTFILE}"
BrandingText "Varne ${VARNE_VERSION}"
ManifestDPIAware true
ManifestSupportedOS Win7 Win8 Win8.1 Win10

; MultiUser.nsh does the choosing: HKLM or HKCU (through SHCTX), the common
; or the user's Start menu, Program Files or the user's programs folder.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Varne"
; An install already there keeps its folder, and an administrator's run
; keeps a per-user install per-user.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${VARNE_UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${VARNE_UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${VARNE_ICON}"
!define MUI_UNICON "${VARNE_ICON}"
!define MUI_ABORTWARNING

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VARNE_VERSION_QUAD}"
VIFileVersion "${VARNE_VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Varne"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VARNE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VARNE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Varne ${VARNE_VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${VARNE_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 ${VARNE_PUBLISHER}. MIT License."

Function .onInit
  ; MultiUser sets the folder from the mode; a /D= folder must win over it.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Varne"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=varne.exe" "${VARNE_PROGRAM}"
  File "/oname=README.md" "${VARNE_README}"
  File "/oname=LICENSE" "${VARNE_LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Varne.lnk" "$INSTDIR\varne.exe"

  ; Apps & features reads this key; SHCTX is HKLM per-machine, HKCU per-user.
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "DisplayName" "Varne"
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "DisplayVersion" "${VARNE_VERSION}"
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "Publisher" "${VARNE_PUBLISHER}"
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varne.exe,0"
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${VARNE_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${VARNE_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${VARNE_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${VARNE_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; An uninstaller removes the install it sits in, whatever the defaults
  ; chose: with both a per-machine and a per-user install, each entry in
  ; Apps & features must remove its own.
  ReadRegStr $0 HKCU "${VARNE_UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${VARNE_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Call un.MultiUser.InstallMode.CurrentUser
  ${ElseIf} $1 == $INSTDIR
    Call un.MultiUser.InstallMode.AllUsers
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; File by file, so that anything a user put in the folder stays.
  Delete "$INSTDIR\varne.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Varne.lnk"
  DeleteRegKey SHCTX "${VARNE_UNINSTALL_KEY}"
SectionEnd
