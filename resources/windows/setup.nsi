; Lumitick's setup program (NSIS 3). One installer carries both builds and
; puts the one that fits the machine into the system folder, where the
; screen saver settings look: the x86_64 build into the 64-bit System32 on
; 64-bit Windows (file-system redirection off), the i686 build into System32
; on 32-bit Windows. It makes Lumitick the installing user's screen saver,
; adds an entry to Apps / Programs and Features, and keeps its uninstaller in
; Program Files\Lumitick (a 32-bit uninstaller inside the 64-bit System32
; would see its own path redirected and could not run).
;
; Built by scripts/build-windows.sh:
;   makensis -DVERSION=X.Y.Z -DSCR32=... -DSCR64=... -DICON=... -DOUTFILE=... setup.nsi

Unicode true
; The published name is Lumitick-VERSION-setup.exe: the warning about
; "setup" in a file name is known and taken.
!pragma warning disable 9000
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Lumitick"
!define PUBLISHER "Lumitick"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

; The installer's own file properties.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} screen saver setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The last page offers the screen saver settings, ticked.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Where the screen saver goes: the system folder as the settings of this
; machine's own kind see it.
!macro UseNativeViews
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetRegView 64
  ${EndIf}
!macroend

; Without administrator rights (UAC off, or a standard user) nothing can be
; written to the system folder: say so and change nothing. Exit status 740,
; "the operation requires elevation", for silent runs.
!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "Lumitick's setup needs administrator rights to change the system folder. Nothing was changed." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdmin
  ${If} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RequireAdmin
FunctionEnd

; The native control panel, which lists the screen savers of the native
; System32 (this page runs on another thread than the section: redirection
; is per thread).
Function OpenScreenSaverSettings
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

Section "Lumitick"
  !insertmacro UseNativeViews
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    File "/oname=${PRODUCT}.scr" "${SCR64}"
  ${Else}
    File "/oname=${PRODUCT}.scr" "${SCR32}"
  ${EndIf}

  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${PRODUCT}.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${GetSize} "$SYSDIR" "/M=${PRODUCT}.scr /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${PRODUCT}.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro UseNativeViews
  ; A setting that names the file removed would point at nothing: it goes.
  ; Whatever else the user chose stays. (The settings may keep the short
  ; form of the path.)
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$0"
  GetFullPathName /SHORT $2 "$SYSDIR\${PRODUCT}.scr"
  StrCpy $3 0
  ${If} $0 == "$SYSDIR\${PRODUCT}.scr"
    StrCpy $3 1
  ${ElseIf} $1 != ""
    ${If} $1 == $2
      StrCpy $3 1
    ${EndIf}
  ${EndIf}
  ${If} $3 == 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}

  Delete "$SYSDIR\${PRODUCT}.scr"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
