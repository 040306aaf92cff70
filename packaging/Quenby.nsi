; Quenby's installer. scripts/package.sh builds it for each architecture:
;
;   makensis -DARCH=win64|win32 -DVERSION=1.0.0.1 -DSTAGE=<install tree>
;            -DSOURCE=<source tree> -DOUTFILE=<setup.exe> packaging/Quenby.nsi
;
; It installs per machine into Program Files, with a Start-menu shortcut and
; an entry in Add/Remove Programs; /S installs silently. Installing over an
; earlier copy replaces it in place (same folder, same entry). The uninstaller
; takes away everything the installer made, the start-with-Windows entry of
; the installed program and every user's scheduled clean that runs it; it
; leaves the user's settings. An upgrade goes into the same folder, so a
; scheduled clean runs the new program.
;
; Both first ask every copy of Quenby running from the install folder to end
; ("QuenbyCmd close"), and wait for it. Interactive, a copy that still runs
; brings a Retry/Cancel question; silent, what cannot be replaced or removed
; then is left for the next restart (/REBOOTOK) and the exit status is 3010.
; Started from the install folder, the uninstaller hands over at once to a
; copy of itself in the temporary folder, which does the work and sets the
; status: a caller that needs the status runs such a copy itself, with
; /S _?=<install folder> (it waits for that one).

Unicode true
!if ${ARCH} == win64
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else if ${ARCH} == win32
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
!else
    !error "ARCH must be win64 or win32"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Quenby"
!define PUBLISHER "Marlowick software"
!define PROGRAM "Quenby.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's start-with-Windows entry: a value named after its file.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; Asks the copies running from a folder to end, and waits for them.
!define CLOSER "QuenbyCmd.exe"
; Exit status of a run that leaves files for the next restart.
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
!define STILL_RUNNING_TEXT "${PRODUCT} is still running from $INSTDIR.$\r$\n$\r$\nEnd it (right-click its icon in the notification area, then Exit) and choose Retry, or choose Cancel."

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The same install tree (with fixed file times) gives the same setup, byte
; for byte: makensis stores no build time and no path. Signed packages
; (scripts/package.sh with a certificate) pass -DSIGN_UNINSTALLER=<command
; that signs the file it is given>: the uninstaller is signed before it goes
; into the setup, which then writes the signed file.
!ifdef SIGN_UNINSTALLER
    !uninstfinalize '${SIGN_UNINSTALLER} "%1"' = 0
!endif
; Program Files and the machine's Start menu need an administrator.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
; An upgrade goes where the earlier copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) ${PUBLISHER}"

!define MUI_ICON "${SOURCE}\res\Quenby.ico"
!define MUI_UNICON "${SOURCE}\res\Quenby.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; Offers the restart when something waits for it.
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; The files of the install tree, one list for install and uninstall.
!macro ProgramFiles Action
    !insertmacro ${Action} "${PROGRAM}"
    !if /FileExists "${STAGE}\QuenbyCmd.exe"
        !insertmacro ${Action} "QuenbyCmd.exe"
    !endif
    !insertmacro ${Action} "README.txt"
    !insertmacro ${Action} "LICENSE.txt"
    !insertmacro ${Action} "help\Quenby.chm"
!macroend
; A file that is in use cannot be replaced: the new one goes beside it and
; takes its place at the next restart.
!macro InstallFile Name
    ; "try" leaves a read-only file in place, where "on" clears the attribute.
    SetFileAttributes "$INSTDIR\${Name}" NORMAL
    SetOverwrite try
    ClearErrors
    File "/oname=${Name}" "${STAGE}\${Name}"
    ${If} ${Errors}
        SetOverwrite on
        File "/oname=${Name}.new" "${STAGE}\${Name}"
        Rename /REBOOTOK "$INSTDIR\${Name}.new" "$INSTDIR\${Name}"
    ${EndIf}
    SetOverwrite on
!macroend
!macro RemoveFile Name
    Delete /REBOOTOK "$INSTDIR\${Name}"
    ; A replacement still waiting for the restart would otherwise come back.
    Delete /REBOOTOK "$INSTDIR\${Name}.new"
!macroend

; CloseRunningCopies with $R0 the closer to run: asks the copies running from
; $INSTDIR to end. Interactive, one that still runs brings Retry/Cancel, and
; Cancel stops before anything changed; silent, the run goes on.
!macro CloseRunningCopiesFunction Prefix
Function ${Prefix}CloseRunningCopies
    ${Do}
        nsExec::ExecToLog '"$R0" close --folder "$INSTDIR"'
        Pop $0
        ; 0: nothing runs; "error": no closer, so nothing of ours can run.
        ${If} $0 == 0
        ${OrIf} $0 == "error"
        ${OrIf} ${Silent}
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${STILL_RUNNING_TEXT}" IDRETRY retry
        Abort
      retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro CloseRunningCopiesFunction ""
!insertmacro CloseRunningCopiesFunction "un."

Function .onInstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${EndIf}
FunctionEnd

Function un.onUninstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${EndIf}
FunctionEnd

Section "${PRODUCT}"
    SetShellVarContext all
    InitPluginsDir
    File "/oname=$PLUGINSDIR\${CLOSER}" "${STAGE}\${CLOSER}"
    StrCpy $R0 "$PLUGINSDIR\${CLOSER}"
    Call CloseRunningCopies
    SetOutPath "$INSTDIR"
    CreateDirectory "$INSTDIR\help"
    !insertmacro ProgramFiles InstallFile
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, as Add/Remove Programs shows it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    StrCpy $R0 "$INSTDIR\${CLOSER}"
    Call un.CloseRunningCopies
    ; Left behind, Windows would try to start a program that no longer exists
    ; at every log-on. Only the entry of this copy goes: a portable copy
    ; elsewhere keeps its own.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PROGRAM}"
    ; Quoted as the program writes it, or unquoted as earlier versions did.
    ${If} $0 == '"$INSTDIR\${PROGRAM}"'
    ${OrIf} $0 == "$INSTDIR\${PROGRAM}"
        DeleteRegValue HKCU "${RUN_KEY}" "${PROGRAM}"
    ${EndIf}
    ; A scheduled clean would start a program that no longer exists: every
    ; user's task that runs this folder's program goes too.
    nsExec::ExecToLog '"$INSTDIR\${CLOSER}" schedule remove --folder "$INSTDIR"'
    Pop $0

    !insertmacro ProgramFiles RemoveFile
    Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
    ; Out of the folder, which a process's current folder would keep.
    SetOutPath "$TEMP"
    RMDir /REBOOTOK "$INSTDIR\help"
    RMDir /REBOOTOK "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The settings under HKCU\Software\${PUBLISHER}\${PRODUCT} stay: a later
    ; install keeps the selection.
SectionEnd
