; Quenby's installer. scripts/package.sh builds it for each architecture:
;
;   makensis -DARCH=win64|win32 -DVERSION=1.0.0.1 -DSTAGE=<install tree>
;            -DSOURCE=<source tree> -DOUTFILE=<setup.exe> packaging/Quenby.nsi
;
; It installs per machine into Program Files, with a Start-menu shortcut and
; an entry in Add/Remove Programs; /S installs silently. Installing over an
; earlier copy replaces it in place (same folder, same entry). The uninstaller
; takes away everything the installer made, and the start-with-Windows entry
; of the installed program; it leaves the user's settings.

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

Name "${PRODUCT}"
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
!macro InstallFile Name
    File "/oname=${Name}" "${STAGE}\${Name}"
!macroend
!macro RemoveFile Name
    Delete "$INSTDIR\${Name}"
!macroend

Section "${PRODUCT}"
    SetShellVarContext all
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
    ; Left behind, Windows would try to start a program that no longer exists
    ; at every log-on. Only the entry of this copy goes: a portable copy
    ; elsewhere keeps its own.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PROGRAM}"
    ; Quoted as the program writes it, or unquoted as earlier versions did.
    ${If} $0 == '"$INSTDIR\${PROGRAM}"'
    ${OrIf} $0 == "$INSTDIR\${PROGRAM}"
        DeleteRegValue HKCU "${RUN_KEY}" "${PROGRAM}"
    ${EndIf}

    !insertmacro ProgramFiles RemoveFile
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR\help"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The settings under HKCU\Software\${PUBLISHER}\${PRODUCT} stay: a later
    ; install keeps the selection.
SectionEnd
