; The setup of Orvanta itself: a Russian MUI2 wizard that installs the
; program into Program Files for every user of the machine.
;
; Built by installer/package.py (tools/package), which passes:
;   VERSION   the program's version, three numbers ("1.0.1")
;   PRODUCT   the product name, also the folder, Start-menu and uninstall key name
;   COMPANY   the publisher
;   STAGE     the folder holding the stripped orvanta.exe and help.chm
;   ICON      the program's icon, for the setup and the uninstaller
;   OUTFILE   where makensis writes the setup
;
; What the install leaves:
;   $PROGRAMFILES64\<PRODUCT>\orvanta.exe, help.chm, uninstall.exe
;   Start menu (all users): <PRODUCT>\<PRODUCT>.lnk and <PRODUCT>\Справка <PRODUCT>.lnk
;   HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<PRODUCT>
; The uninstaller removes exactly these, the ".ovs" association the program
; made (only while ".ovs" still names it) and the program's per-user settings.
; It deletes files by name and never a folder with something else in it, so a
; library of scripts kept inside the program's folder survives.
;
; Both run unattended with /S (the setup also takes /D=<folder>); the silent
; setup ends with exit code 2 when it cannot install (the program is running).

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all

!macro Require NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: build the setup with installer/package.py"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require PRODUCT
!insertmacro Require COMPANY
!insertmacro Require STAGE
!insertmacro Require ICON
!insertmacro Require OUTFILE

!define PROG_ID "orvanta"
!define EXTENSION ".ovs"
!define SETTINGS_KEY "Software\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define SHCNE_ASSOCCHANGED 0x08000000

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvanta.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© ${COMPANY}"

; A running copy holds orvanta.exe open, and replacing or deleting it would
; leave a half-done job. The program owns a semaphore named after itself for as
; long as it runs; ask the user to close it, or give up (silently: give up).
!macro RefuseWhileRunning
  ${Do}
    System::Call 'kernel32::OpenSemaphoreW(i 0x00100000, i 0, w "${PRODUCT}") p.r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Программа ${PRODUCT} сейчас запущена.$\r$\nЗакройте её и нажмите «Повтор»." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
    retry:
  ${Loop}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\orvanta.exe"
  File "${STAGE}\help.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\orvanta.exe" "" \
    "$INSTDIR\orvanta.exe" 0 SW_SHOWNORMAL "" "Автоматическая установка программ"
  CreateShortcut "${MENU_FOLDER}\Справка ${PRODUCT}.lnk" "$INSTDIR\help.chm" "" \
    "$WINDIR\hh.exe" 0 SW_SHOWNORMAL "" "Справка ${PRODUCT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvanta.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

; Takes ".ovs" back only while it still names the program: a user who gave
; the extension to another program keeps that choice (the program itself
; compares the name with letter case, and so does this). Anything else under the
; key (another program's OpenWithProgids, say) stays.
!macro RemoveAssociation ROOT CLASSES
  ReadRegStr $0 ${ROOT} "${CLASSES}\${EXTENSION}" ""
  ${If} $0 S== "${PROG_ID}"
    DeleteRegValue ${ROOT} "${CLASSES}\${EXTENSION}" ""
    DeleteRegKey /ifempty ${ROOT} "${CLASSES}\${EXTENSION}"
  ${EndIf}
  DeleteRegKey ${ROOT} "${CLASSES}\${PROG_ID}"
!macroend

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\orvanta.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\Справка ${PRODUCT}.lnk"
  RMDir "${MENU_FOLDER}"

  ; The program writes its association through HKEY_CLASSES_ROOT, which
  ; lands in the machine's or the user's classes depending on its rights.
  !insertmacro RemoveAssociation HKLM "Software\Classes"
  !insertmacro RemoveAssociation HKCU "Software\Classes"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
