; The Windows installer of Tallowick: the desktop tool and the command line tool under
; Program Files, a Start-menu entry and an uninstaller registered in "Programs and
; Features". It asks for administrator rights: the programs go under Program Files and
; the book of serial numbers lives under HKEY_LOCAL_MACHINE.
;
;   makensis -DVERSION=0.1 -DBINDIR=DIR -DICON=FILE -DOUTFILE=FILE tallowick.nsi
;
; /S installs (and the uninstaller removes) without asking; /D=DIR chooses the folder.
; Uninstalling keeps the book (HKLM\SOFTWARE\Morvent\Tallowick): it is the workshop's
; record of the numbers already used.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include "MUI2.nsh"

!define PRODUCT "Tallowick"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallowick"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Tallowick.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "Morvent"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright 2026 Morvent"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tallowick.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Tallowick"
  SetOutPath "$INSTDIR"
  File "${BINDIR}\tallowick.exe"
  File "${BINDIR}\tallowick-cli.exe"
  ; The fonts every test report is drawn in, with their licence.
  SetOutPath "$INSTDIR\fonts"
  File "${BINDIR}\fonts\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The folder of the station's data (%ProgramData%\Tallowick), writable for every user of
  ; the computer, so that a second technician's runs and the outbox are recorded too. The
  ; uninstaller leaves it and what it holds.
  nsExec::ExecToLog '"$INSTDIR\tallowick-cli.exe" setup'
  Pop $0
  StrCmp $0 "0" +2
    DetailPrint "The data folder could not be opened to every user (exit code $0)."

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\tallowick.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Morvent"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tallowick.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\tallowick.exe"
  Delete "$INSTDIR\tallowick-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\fonts\*.ttf"
  Delete "$INSTDIR\fonts\LICENSE-Liberation.txt"
  RMDir "$INSTDIR\fonts"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The program registers itself in the 32-bit view, beside its book; that entry names the
  ; file just removed. The book itself stays.
  SetRegView 32
  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  SetRegView 64
SectionEnd
