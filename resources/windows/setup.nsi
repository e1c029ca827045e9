; Lumitick's setup program (NSIS 3). One installer carries both builds and
; puts the one that fits the machine into the system folder, where the
; screen saver settings look: the x86_64 build into the 64-bit System32 on
; 64-bit Windows (file-system redirection off), the i686 build into System32
; on 32-bit Windows. It makes Lumitick the installing user's screen saver,
; adds an entry to Apps / Programs and Features, and keeps its uninstaller in
; Program Files\Lumitick (a 32-bit uninstaller inside the 64-bit System32
; would see its own path redirected and could not run). Both end a running
; Lumitick before they touch its file.
;
; The uninstaller's exit status (the entry's QuietUninstallString runs it in
; place, so that the caller waits for it and gets it):
;   0     everything removed
;   3010  Lumitick.scr was in use by a program that could not be ended: it
;         is removed at the next restart, everything else now
;   2     Lumitick.scr could be neither removed nor marked for removal:
;         nothing was changed
;   740   no administrator rights: nothing was changed
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
!define MUI_WELCOMEPAGE_TEXT "Setup will install Lumitick, an analog clock drawn in glowing lines, and make it your screen saver in place of the one chosen now (the screen saver settings can choose another at any time).$\r$\n$\r$\nA running Lumitick (the screen saver, or its preview in the screen saver settings) is ended first.$\r$\n$\r$\n$_CLICK"
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
  ; The second half of an uninstall run in place (un.onUninstSuccess):
  ; this copy, which runs from the temporary folder, removes the
  ; uninstaller's own file and folder once that program has ended, and only
  ; when the entry is gone.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/AFTER-IN-PLACE" $1
  ${IfNot} ${Errors}
    SetSilent silent
    !insertmacro UseNativeViews
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $1 != ""
      Quit
    ${EndIf}
    ${For} $1 1 300
      Delete "$INSTDIR\uninstall.exe"
      ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        ${Break}
      ${EndIf}
      Sleep 200
    ${Next}
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
  !insertmacro RequireAdmin
FunctionEnd

; Ends every running Lumitick.scr (the screen saver "/s", a "/p" preview in
; the screen saver settings, "/c") and waits until each has gone: Windows
; keeps a running program's file from being replaced or removed. A saver
; keeps nothing to save, so it is terminated. The processes are found by
; image name in a Tool Help snapshot, which lists the 64-bit ones to this
; 32-bit program too.
!macro DefineEndRunningSavers UN
Function ${UN}EndRunningSavers
  ; PROCESSENTRY32W of a 32-bit program: nine 32-bit fields, then the image
  ; name (260 UTF-16 units); 556 bytes.
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) i .r0'
  ${If} $0 = -1
    DetailPrint "The running programs could not be listed"
    Return
  ${EndIf}
  System::Call '*(i 556, i, i, i, i, i, i, i, i, &w260) i .r1'
  System::Call 'kernel32::Process32FirstW(i r0, i r1) i .r2'
  ${DoWhile} $2 <> 0
    System::Call '*$1(i, i, i .r3, i, i, i, i, i, i, &w260 .r4)'
    ${If} $4 == "${PRODUCT}.scr"
      ; PROCESS_TERMINATE | SYNCHRONIZE
      System::Call 'kernel32::OpenProcess(i 0x100001, i 0, i r3) i .r5'
      ${If} $5 <> 0
        DetailPrint "Ending the running ${PRODUCT}.scr (process $3)"
        System::Call 'kernel32::TerminateProcess(i r5, i 0)'
        System::Call 'kernel32::WaitForSingleObject(i r5, i 10000)'
        System::Call 'kernel32::CloseHandle(i r5)'
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::Process32NextW(i r0, i r1) i .r2'
  ${Loop}
  System::Free $1
  System::Call 'kernel32::CloseHandle(i r0)'
FunctionEnd
!macroend
!insertmacro DefineEndRunningSavers ""
!insertmacro DefineEndRunningSavers "un."

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
  Call EndRunningSavers
  SetOutPath "$SYSDIR"
  ; A file still in use (by a program that could not be ended) is not
  ; written over: say so, change nothing.
  SetOverwrite try
  ${If} ${RunningX64}
    ClearErrors
    File "/oname=${PRODUCT}.scr" "${SCR64}"
  ${Else}
    ClearErrors
    File "/oname=${PRODUCT}.scr" "${SCR32}"
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_ICONSTOP|MB_OK "$SYSDIR\${PRODUCT}.scr is in use by another program and could not be replaced. Close that program and run setup again. Nothing was changed." /SD IDOK
    Abort
  ${EndIf}
  SetOverwrite on

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
  ; In place (_?=), so that the caller waits for the exit status.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro UseNativeViews
  ; The file first. One still in use is marked for removal at the next
  ; restart; one that can be neither removed nor marked keeps everything
  ; else as it is.
  Call un.EndRunningSavers
  SetRebootFlag false
  Delete /REBOOTOK "$SYSDIR\${PRODUCT}.scr"
  StrCpy $R0 0
  ${If} ${FileExists} "$SYSDIR\${PRODUCT}.scr"
    ${IfNot} ${RebootFlag}
      MessageBox MB_ICONSTOP|MB_OK "$SYSDIR\${PRODUCT}.scr could not be removed, nor marked for removal at the next restart. Nothing was changed." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    StrCpy $R0 1
  ${EndIf}

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

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Run in place (_?=), this program's own file stays in use until it ends
  ; (un.onUninstSuccess); otherwise it runs from a copy of itself.
  ${If} $EXEDIR != $INSTDIR
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}

  ${If} $R0 = 1
    MessageBox MB_ICONINFORMATION|MB_OK "$SYSDIR\${PRODUCT}.scr is in use by another program: it will be removed when Windows restarts." /SD IDOK
    SetErrorLevel 3010
  ${EndIf}
SectionEnd

; Run in place, the uninstaller starts itself once more without "_?=": NSIS
; then runs a copy of it from the temporary folder (and removes that copy at
; the next restart, as for every uninstall), which removes this file and its
; folder once this program has ended (un.onInit).
Function un.onUninstSuccess
  ${If} $EXEDIR == $INSTDIR
    Exec '"$INSTDIR\uninstall.exe" /AFTER-IN-PLACE'
  ${EndIf}
FunctionEnd
