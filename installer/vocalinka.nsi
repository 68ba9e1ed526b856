; The setup program of Vocalinka, made by scripts/package.sh, which passes STAGE: a folder that
; holds vocalinka.exe, vocalinka.ico, Chars\*.acs, Intl\AGT*.DLL, the generated agent_files.nsh
; (one AgentFile line per character and language component) and vocalinka_version.nsh (the
; project's version); and OUTFILE, the setup program's path.
;
; Machine-wide: the program in Program Files, the characters and language components in the
; Windows folder, where the program looks for them, so it asks for administrator rights.
; The Agent folders are shared: a file of the same name that this setup program did not put
; there is replaced only when the person says so, or a silent install is given /REPLACE (for
; example over copies placed by hand), and is put back by the uninstaller. What it did put
; there is listed under AGENT_FILES_KEY, so that the uninstaller removes exactly that.
; Its stubs are 64-bit, like the program: on 32-bit Windows it does not start, and Windows
; says that it cannot run on this computer.

Target amd64-unicode
!include "${STAGE}\vocalinka_version.nsh"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Vocalinka"
!define PUBLISHER "Vocalinka"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vocalinka"
!define SETUP_KEY "Software\Vocalinka\Setup"
!define AGENT_FILES_KEY "${SETUP_KEY}\AgentFiles"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define AGENT_DIR "$WINDIR\Msagent"
; Where the person's own Agent files wait while Vocalinka's stand in their place.
!define REPLACED_DIR "$INSTDIR\Replaced files"

Var ReplaceOthersFiles  ; "1" when /REPLACE was given: replace without asking

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vocalinka"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Vocalinka ${VOCALINKA_VERSION}"

VIProductVersion "${VOCALINKA_VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Vocalinka setup"
VIAddVersionKey "FileVersion" "${VOCALINKA_VERSION}"
VIAddVersionKey "ProductVersion" "${VOCALINKA_VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) the Vocalinka developers"

!define MUI_ICON "${STAGE}\vocalinka.ico"
!define MUI_UNICON "${STAGE}\vocalinka.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Places $PLUGINSDIR\<$0> at ${AGENT_DIR}\<$0> ($0: "Chars\Merlin.acs" or "Intl\AGT0409.DLL").
Function PlaceAgentFile
    StrCpy $1 "${AGENT_DIR}\$0"
    ; "installed" or "replaced" when an earlier setup put it there; empty when not.
    ReadRegStr $2 HKLM "${AGENT_FILES_KEY}" "$0"
    ${If} ${FileExists} "$1"
    ${AndIf} $2 == ""
    ${AndIf} $ReplaceOthersFiles != "1"
        ${IfNot} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$1 is already there and was not installed by Vocalinka.$\r$\n$\r$\nReplace it with Vocalinka's file? Uninstalling Vocalinka puts yours back." /SD IDNO IDYES`
            DetailPrint "Kept $1, which was already there."
            Return
        ${EndIf}
    ${EndIf}
    ${If} ${FileExists} "$1"
    ${AndIf} $2 == ""
        ${GetParent} "${REPLACED_DIR}\$0" $3
        CreateDirectory "$3"
        Delete "${REPLACED_DIR}\$0"
        ClearErrors
        Rename "$1" "${REPLACED_DIR}\$0"
        ${If} ${Errors}
            MessageBox MB_OK|MB_ICONEXCLAMATION "Could not move $1 aside; it is kept." /SD IDOK
            DetailPrint "Kept $1, which could not be moved aside."
            Return
        ${EndIf}
        StrCpy $2 "replaced"
    ${EndIf}
    ${If} $2 == ""
        StrCpy $2 "installed"
    ${EndIf}
    ${GetParent} "$1" $3
    CreateDirectory "$3"
    Delete "$1"
    ClearErrors
    ; $PLUGINSDIR and the Windows folder are on the same drive: a rename, not a copy.
    Rename "$PLUGINSDIR\$0" "$1"
    ${If} ${Errors}
        ; In use by a running program, or a folder that cannot be written.
        ${If} $2 == "replaced"
            Rename "${REPLACED_DIR}\$0" "$1"
        ${EndIf}
        MessageBox MB_OK|MB_ICONEXCLAMATION "Could not write $1." /SD IDOK
        DetailPrint "Could not write $1."
        SetErrorLevel 2
        Return
    ${EndIf}
    WriteRegStr HKLM "${AGENT_FILES_KEY}" "$0" "$2"
FunctionEnd

; A running Vocalinka holds its program file and the language components: it is asked to
; close (as when its window is closed, so it saves the profile) before they are replaced or
; removed. ${UN} is "" for the setup program, "un." for the uninstaller.
!macro CloseVocalinkaFunction UN
Function ${UN}CloseVocalinka
    FindWindow $0 "frmTextToSound"
    ${If} $0 == 0
        Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Vocalinka is running and will be closed." /SD IDOK IDOK +2
    Quit
    ; Several tries: a program busy reading may need a moment.
    ${For} $1 1 20
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
        Sleep 250
        FindWindow $0 "frmTextToSound"
        ${If} $0 == 0
            Return
        ${EndIf}
    ${Next}
    MessageBox MB_OK|MB_ICONSTOP "Vocalinka did not close. Close it, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!insertmacro CloseVocalinkaFunction ""
!insertmacro CloseVocalinkaFunction "un."

!macro AgentFile NAME
    File "/oname=$PLUGINSDIR\${NAME}" "${STAGE}\${NAME}"
    StrCpy $0 "${NAME}"
    Call PlaceAgentFile
!macroend

Section "Vocalinka" SecProgram
    SectionIn RO
    SetShellVarContext all
    Call CloseVocalinka
    InitPluginsDir
    SetOutPath "$INSTDIR"
    File "${STAGE}\vocalinka.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$PLUGINSDIR\Chars"
    CreateDirectory "$PLUGINSDIR\Intl"
    !include "${STAGE}\agent_files.nsh"

    CreateShortcut "$SMPROGRAMS\Vocalinka.lnk" "$INSTDIR\vocalinka.exe" "" \
        "$INSTDIR\vocalinka.exe" 0 SW_SHOWNORMAL "" "Read selected text aloud"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VOCALINKA_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vocalinka.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Unticked, the start with Windows is off.
    DeleteRegValue HKLM "${RUN_KEY}" "Vocalinka"
SectionEnd

; For every user of the machine, like the program itself: the setup program may run as
; another account (an administrator's, or the system's in a deployment), whose HKCU would
; not be the person's.
Section /o "Start Vocalinka when Windows starts" SecAutostart
    WriteRegStr HKLM "${RUN_KEY}" "Vocalinka" '"$INSTDIR\vocalinka.exe"'
SectionEnd

Function .onInit
    ; The start with Windows: off at a first install, as chosen before at an update, and on
    ; when a silent deployment asks for it on the command line with /AUTOSTART.
    ReadRegStr $R1 HKLM "${RUN_KEY}" "Vocalinka"
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/AUTOSTART" $R2
    ${If} $R1 != ""
    ${OrIfNot} ${Errors}
        SectionSetFlags ${SecAutostart} ${SF_SELECTED}
    ${EndIf}
    ; And whether Agent files put there by others are replaced (and kept for the uninstaller).
    ClearErrors
    ${GetOptions} $R0 "/REPLACE" $R1
    ${IfNot} ${Errors}
        StrCpy $ReplaceOthersFiles "1"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    Call un.CloseVocalinka
    ; The Agent files this setup put there; the person's own ones come back.
    StrCpy $3 0
    ${Do}
        EnumRegValue $0 HKLM "${AGENT_FILES_KEY}" $3
        ${If} $0 == ""
            ${Break}
        ${EndIf}
        ReadRegStr $2 HKLM "${AGENT_FILES_KEY}" "$0"
        Delete "${AGENT_DIR}\$0"
        ${If} $2 == "replaced"
            Rename "${REPLACED_DIR}\$0" "${AGENT_DIR}\$0"
        ${EndIf}
        IntOp $3 $3 + 1
    ${Loop}
    RMDir "${REPLACED_DIR}\Chars"
    RMDir "${REPLACED_DIR}\Intl"
    RMDir "${REPLACED_DIR}"
    ; The folders only when nothing else is left in them.
    RMDir "${AGENT_DIR}\Chars"
    RMDir "${AGENT_DIR}\Intl"
    RMDir "${AGENT_DIR}"

    Delete "$SMPROGRAMS\Vocalinka.lnk"
    DeleteRegValue HKLM "${RUN_KEY}" "Vocalinka"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${SETUP_KEY}"
    DeleteRegKey /ifempty HKLM "Software\Vocalinka"

    ; The person's profile (profile.pfl) stays, and with it the folder.
    Delete "$INSTDIR\vocalinka.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
