; The setup program of Reelwright: installs the program, its console twin and
; the GIF handler per machine, registers the handler with AVIFile, and
; removes all of it again on uninstall. Built by setup/CMakeLists.txt with:
;   ARCH (x86 or amd64), VERSION (a.b.c.d), OUTFILE, README, and the paths of
;   REELWRIGHT_EXE, LOOMCAST_DLL and, when it was built, CLI_EXE.
Unicode true
Target ${ARCH}-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Reelwright"
!define PUBLISHER "Reelwright"
!define GIF_HANDLER_CLSID "{1C649FA4-A1DB-11CF-C000-000000000046}"
!define GIF_ASSOCIATION "AVIFile\Extensions\GIF"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!if ${ARCH} == "amd64"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; Installing again goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 1996-2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\reelwright.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Reelwright"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    ; Over an earlier version the files are replaced in place; the handler is
    ; registered again below, so its class names the new library.
    File "/oname=reelwright.exe" "${REELWRIGHT_EXE}"
!ifdef CLI_EXE
    File "/oname=reelwright-cli.exe" "${CLI_EXE}"
!endif
    File "/oname=loomcast.dll" "${LOOMCAST_DLL}"
    File "/oname=ReadMe.txt" "${README}"

    ClearErrors
    RegDLL "$INSTDIR\loomcast.dll"
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "The GIF handler $INSTDIR\loomcast.dll could not be registered." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    ; AVIFile finds the handler for .gif names through this association.
    WriteRegStr HKCR "${GIF_ASSOCIATION}" "" "${GIF_HANDLER_CLSID}"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\reelwright.exe"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\reelwright.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    UnRegDLL "$INSTDIR\loomcast.dll"
    ; A class key left behind (a library that could not be loaded) goes too.
    DeleteRegKey HKCR "CLSID\${GIF_HANDLER_CLSID}"
    ; The association is removed only while it still names our class: another
    ; handler installed since then keeps .gif.
    ReadRegStr $0 HKCR "${GIF_ASSOCIATION}" ""
    ${If} $0 == "${GIF_HANDLER_CLSID}"
        DeleteRegKey HKCR "${GIF_ASSOCIATION}"
    ${EndIf}

    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    ; Only our own files: projects and GIFs the user kept here stay.
    Delete "$INSTDIR\reelwright.exe"
    Delete "$INSTDIR\reelwright-cli.exe"
    Delete "$INSTDIR\loomcast.dll"
    Delete "$INSTDIR\ReadMe.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
