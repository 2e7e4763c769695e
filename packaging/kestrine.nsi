; Kestrine's per-user installer. No administrator rights: everything goes under the user's
; own profile and HKEY_CURRENT_USER, and the uninstaller takes away all of it.
;
; scripts/package.sh builds it:
;   makensis -DVERSION=0.4.0 -DSTAGE=DIR -DICON=FILE -DOUTFILE=FILE packaging/kestrine.nsi
; STAGE holds kestrine.exe, kst.exe and README.txt; VERSION_QUAD (four numbers) is given
; when the version can be written as a Windows file version.

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined (see scripts/package.sh)"
!endif

!define PRODUCT "Kestrine"
!define PUBLISHER "Pellacore"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's own profile: its version stamp and the user's choice to stay unregistered.
!define PROFILE_ROOT "Software\Pellacore"
!define PROFILE_KEY "${PROFILE_ROOT}\Software\${PRODUCT}"

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Per-user programs live here since Windows 7; no elevation is ever needed to write it.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A second install goes where the first one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!ifdef VERSION_QUAD
  VIProductVersion "${VERSION_QUAD}"
  VIFileVersion "${VERSION_QUAD}"
  VIAddVersionKey "ProductName" "${PRODUCT}"
  VIAddVersionKey "ProductVersion" "${VERSION}"
  VIAddVersionKey "FileVersion" "${VERSION}"
  VIAddVersionKey "CompanyName" "${PUBLISHER}"
  VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
  VIAddVersionKey "LegalCopyright" "${PUBLISHER}"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kestrine.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}"
  SetShellVarContext current
  ; A running copy cannot be replaced, and a silent install would skip it and end as if all
  ; went well: find that out before anything is written.
  IfFileExists "$INSTDIR\kestrine.exe" 0 replaceable
    ClearErrors
    FileOpen $1 "$INSTDIR\kestrine.exe" a
    IfErrors 0 +4
      MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it and run Setup again." /SD IDOK
      SetErrorLevel 2
      Abort
    FileClose $1
  replaceable:
  SetOutPath "$INSTDIR"
  File "${STAGE}/kestrine.exe"
  File "${STAGE}/kst.exe"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kestrine.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrine.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The installed copy registers itself (".kst" and the two Explorer entries), so they name
  ; this folder and not wherever the user last started a portable copy.
  ClearErrors
  ExecWait '"$INSTDIR\kestrine.exe" /register' $0
  IfErrors register_failed
  IntCmp $0 0 registered register_failed register_failed
  register_failed:
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} could not register its file type and Explorer entries. Start it once to try again." /SD IDOK
    SetErrorLevel 2
  registered:
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; A running program cannot be deleted. Find that out before anything is changed, so that
  ; the user closes it and uninstalls again with nothing half done.
  IfFileExists "$INSTDIR\kestrine.exe" 0 unregistered
    ClearErrors
    FileOpen $1 "$INSTDIR\kestrine.exe" a
    IfErrors still_running
    FileClose $1

    ; The program takes back its own registration while it is still there to do so.
    ClearErrors
    ExecWait '"$INSTDIR\kestrine.exe" /unregister' $0
    IfErrors 0 +2
      StrCpy $0 "an error"
    StrCmp $0 0 unregistered
      ; Go on: the files are removed as asked, and the user learns what stayed behind.
      MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} could not remove its file type and Explorer entries ($0)." /SD IDOK
      SetErrorLevel 2
  unregistered:

  Delete "$INSTDIR\kestrine.exe"
  Delete "$INSTDIR\kst.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only the folder itself, and only when empty: files the user put there stay.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "${PROFILE_ROOT}\Software"
  DeleteRegKey /ifempty HKCU "${PROFILE_ROOT}"
  Return

  still_running:
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it and uninstall again." /SD IDOK
    SetErrorLevel 2
    Abort
SectionEnd
