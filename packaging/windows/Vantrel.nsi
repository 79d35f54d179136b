; The Windows installer: both programs, the user guide and the licence texts
; under Program Files, a Start-menu entry, list files (.ksd) opening in
; Vantrel with its icon, and an uninstaller that takes all of it away again.
; Built by scripts/package-windows, which defines VERSION, STAGE (the folder
; of files to install), ICON and OUTFILE. "/S" installs and uninstalls silently.
; A 64-bit installer, as the programs are: it runs where they run, wine's
; 64-bit prefix included, which has no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define LIST_TYPE "Vantrel.List"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 Vantrel developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantrel.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/licence.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one for systems that speak neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows."
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Vantrel"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}/vantrel.exe"
    File "${STAGE}/vantrel-cli.exe"
    File "${STAGE}/user-guide.en.md"
    File "${STAGE}/user-guide.ja.md"
    File "${STAGE}/licence.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vantrel.exe"

    ; List files open in Vantrel and show its icon.
    WriteRegStr HKLM "Software\Classes\.ksd" "" "${LIST_TYPE}"
    WriteRegStr HKLM "Software\Classes\${LIST_TYPE}" "" "Vantrel list"
    WriteRegStr HKLM "Software\Classes\${LIST_TYPE}\DefaultIcon" "" "$INSTDIR\vantrel.exe,0"
    WriteRegStr HKLM "Software\Classes\${LIST_TYPE}\shell\open\command" "" '"$INSTDIR\vantrel.exe" "%1"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vantrel developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrel.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\vantrel.exe"
    Delete "$INSTDIR\vantrel-cli.exe"
    Delete "$INSTDIR\user-guide.en.md"
    Delete "$INSTDIR\user-guide.ja.md"
    Delete "$INSTDIR\licence.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; .ksd is left alone when another program has taken it over since.
    ReadRegStr $0 HKLM "Software\Classes\.ksd" ""
    StrCmp $0 "${LIST_TYPE}" 0 +2
        DeleteRegKey HKLM "Software\Classes\.ksd"
    DeleteRegKey HKLM "Software\Classes\${LIST_TYPE}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
