; SPDX-License-Identifier: MIT
; The Windows installer: Brambleton in Program Files, a Start-menu shortcut for every user,
; and an uninstaller registered with Windows. Built by scripts/release.sh:
;   makensis -DVERSION=x.y.z -DFILES=folder -DICON=brambleton.ico -DOUTFILE=setup.exe installer.nsi
Unicode true
; A 64-bit installer for a 64-bit program: it needs no 32-bit Windows subsystem (WoW64).
Target amd64-unicode

Name "Brambleton ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Brambleton"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brambleton"

!include "MUI2.nsh"
!include "FileFunc.nsh"

; The program's own icon on the installer and the uninstaller, and an offer to start it at
; the end.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\brambleton.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Brambleton"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Brambleton"
    SetOutPath "$INSTDIR"
    File "${FILES}\brambleton.exe"
    File "${FILES}\brambleton-count.exe"
    File "${FILES}\user-guide.html"
    File "${FILES}\licence.html"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Brambleton.lnk" "$INSTDIR\brambleton.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Brambleton"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Brambleton team"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brambleton.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; The size Windows' list of programs shows, in KB.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Brambleton.lnk"
    Delete "$INSTDIR\brambleton.exe"
    Delete "$INSTDIR\brambleton-count.exe"
    Delete "$INSTDIR\user-guide.html"
    Delete "$INSTDIR\licence.html"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
