; The Varne installer, for makensis 3. The build hands in the version and
; every file (cmake/VarneWindowsArtefacts.cmake runs makensis -DVARNE_...);
; nothing here names a version, a build path or the build's time.
;
; Administrators install per-machine, into Program Files; everyone else, or
; anyone who passes /CurrentUser, per-user into their own programs folder
; without elevation. /AllUsers asks for the per-machine install, /S runs
; without a window, /D=folder (last on the command line) picks the folder.
;
; A folder is taken only if it is new, empty, or the one this mode's Apps &
; features entry names (then the install there is updated in place). Any
; other folder is refused: a message, or under /S exit code 2, and nothing
; written. So no file of the user's is ever overwritten, and nothing but
; Varne's files sits beside varne.exe.
;
; A per-machine folder gets permissions of its own wherever it is: owned by
; Administrators, SYSTEM and Administrators may change it, Users only read
; and run, nothing inherited from the parent. Apps & features runs
; uninstall.exe elevated, so no ordinary user may be able to replace it.
;
; The uninstaller removes Varne's four files from the folder it was started
; from, and the Apps & features entry and Start-menu shortcut only if that
; entry names this folder: another install of Varne, per-user beside
; per-machine or in another folder, keeps its own.

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
; The installed files get the time of installing, and the installer keeps
; no build-machine time: built twice, it is the same file.
SetDateSave off

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
; The uninstaller picks its mode from its own folder (un.onInit), not so.
!define MULTIUSER_NOUNINSTALL
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${VARNE_ICON}"
!define MUI_UNICON "${VARNE_ICON}"
!define MUI_ABORTWARNING

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE VarneDirectoryLeave
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

; Sets $R0 to why $INSTDIR cannot take Varne, or to "" if it can.
Function VarneCheckFolder
  StrCpy $R0 ""
  ReadRegStr $R1 SHCTX "${VARNE_UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 != $INSTDIR
    ${DirState} "$INSTDIR" $R1
    ${If} $R1 == 1
      StrCpy $R0 "$INSTDIR already holds files, and it is not where Varne is installed.$\r$\nChoose a new or empty folder."
    ${EndIf}
  ${EndIf}
FunctionEnd

Function VarneDirectoryLeave
  Call VarneCheckFolder
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$R0"
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  ; MultiUser sets the folder from the mode; a /D= folder must win over it.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
  ; Without a window there is no folder page to check the folder on leaving.
  ${If} ${Silent}
    Call VarneCheckFolder
    ${If} $R0 != ""
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Owner Administrators; SYSTEM and Administrators full control, Users read
; and run, for the folder and all it holds; nothing inherited (P).
!define VARNE_MACHINE_SDDL "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

; Gives $INSTDIR the per-machine permissions; $0 is 0 on success. A new
; folder is created with them, so that no user can slip a file in first;
; an existing one (an update, or an empty folder) is changed, and its
; files take the new entries (SetNamedSecurityInfo propagates them).
Function VarneLockFolder
  ${GetParent} "$INSTDIR" $1
  CreateDirectory "$1"
  StrCpy $0 1
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${VARNE_MACHINE_SDDL}", i 1, *p .r1, p 0) i .r2'
  ${If} $2 = 0
    Return
  ${EndIf}
  ; SECURITY_ATTRIBUTES: nLength, padding, the descriptor, bInheritHandle.
  System::Call '*(i 24, i 0, p r1, i 0, i 0) p .r2'
  System::Call 'kernel32::CreateDirectoryW(w "$INSTDIR", p r2)'
  System::Free $2
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r1, *p .r3, *i .r5)'
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r5, *p .r4, *i .r5)'
  ; OWNER | DACL | PROTECTED_DACL, on a file object.
  System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p r3, p 0, p r4, p 0) i .r0'
  System::Call 'kernel32::LocalFree(p r1)'
FunctionEnd

; Writes one file anew rather than over the old one: a new file takes the
; folder's permissions, an old one would keep whatever it had.
!macro VarneFile name source
  Delete "$INSTDIR\${name}"
  File "/oname=${name}" "${source}"
!macroend

; Adds the size of $INSTDIR\name in bytes to $R2.
!macro VarneAddSize name
  FileOpen $R3 "$INSTDIR\${name}" r
  FileSeek $R3 0 END $R4
  FileClose $R3
  IntOp $R2 $R2 + $R4
!macroend

Section "Varne"
  SectionIn RO
  ${If} $MultiUser.InstallMode == "AllUsers"
    Call VarneLockFolder
    ${If} $0 <> 0
      MessageBox MB_OK|MB_ICONSTOP "Cannot restrict who may change $INSTDIR (error $0)." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  !insertmacro VarneFile varne.exe "${VARNE_PROGRAM}"
  !insertmacro VarneFile README.md "${VARNE_README}"
  !insertmacro VarneFile LICENSE "${VARNE_LICENSE}"
  Delete "$INSTDIR\uninstall.exe"
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
  ; Varne's own files, not whatever else the folder holds, in KiB.
  StrCpy $R2 0
  !insertmacro VarneAddSize varne.exe
  !insertmacro VarneAddSize README.md
  !insertmacro VarneAddSize LICENSE
  !insertmacro VarneAddSize uninstall.exe
  IntOp $R2 $R2 / 1024
  WriteRegDWORD SHCTX "${VARNE_UNINSTALL_KEY}" "EstimatedSize" $R2
SectionEnd

; Which hive's entry names the folder being removed: HKLM, HKCU or "".
Var Owner

Function un.onInit
  ; NSIS runs the uninstaller from a copy in the temporary folder, $EXEDIR,
  ; and sets $INSTDIR to the folder it was started from. That folder, not
  ; what MultiUser would read from the registry, is the one to remove.
  StrCpy $Owner ""
  ReadRegStr $0 HKCU "${VARNE_UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${VARNE_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $Owner HKCU
    SetShellVarContext current
  ${ElseIf} $1 == $INSTDIR
    StrCpy $Owner HKLM
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; File by file: the installer took only a new or empty folder, so these
  ; four are Varne's, and anything a user put there since stays.
  Delete "$INSTDIR\varne.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The installer writes the entry and the shortcut together, so the entry
  ; naming this folder says that the shortcut is this install's too.
  ${If} $Owner == HKCU
    Delete "$SMPROGRAMS\Varne.lnk"
    DeleteRegKey HKCU "${VARNE_UNINSTALL_KEY}"
  ${ElseIf} $Owner == HKLM
    Delete "$SMPROGRAMS\Varne.lnk"
    DeleteRegKey HKLM "${VARNE_UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
