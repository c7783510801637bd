; A small Russian setup wizard for the end-to-end tests of playback and
; recording: welcome, folder, install and finish pages (MUI2).
;
; Variants, chosen with makensis -D:
;   PRODUCT   the product name; it shows in the window caption and names the
;             default folder and the uninstall key (default "Demo App")
;   OUTFILE   where makensis writes the setup (default wizard.exe)
;   LICENSE   a text file of this folder: a licence page after the welcome
;             page shows it, and Next stays disabled until its check box
;             "Я принимаю условия соглашения" is ticked (default: no such page)
;   QUIT_AFTER_WELCOME  when defined, Next on the welcome page ends the setup
;             (as one that finds nothing to do): its process ends
;   LINGER    milliseconds the process stays after its window has closed
;   INSTALL_SECONDS  the install page works this long, its buttons disabled,
;             writing a file and a line of its list every second
;   HANG_INSTALL  when defined, the install page never ends: it waits
;             without doing anything, its buttons disabled
;   VERSION   the DisplayVersion of its uninstall key (default: none)
;   NO_ENTRY  when defined, it writes no uninstall key (as some setups)
;   EXIT_CODE the exit code of a setup that installed (default 0), such as
;             3010 (installed, restart needed) or 1603 (a fatal error)
;   ENGLISH   when defined, the wizard also speaks English and shows its
;             pages in the user's interface language ("<PRODUCT> Setup",
;             "&Next >"), Russian on a Russian Windows
;   X86       when defined, a 32-bit setup (as most setups in the wild), whose
;             default folder is in "Program Files (x86)"
;
; What the install leaves behind, for the tests to check:
;   <folder>\readme.txt        the payload, a copy of payload.txt
;   <folder>\uninstall.exe     the uninstaller
;   HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\<PRODUCT>
;       DisplayName = PRODUCT, InstallLocation = <folder>
; The silent mode (/S, optionally /D=<folder>) does the same without pages.

Unicode true
!ifdef X86
  Target x86-unicode
!else
  Target amd64-unicode
!endif

!ifndef PRODUCT
  !define PRODUCT "Demo App"
!endif
!ifndef OUTFILE
  !define OUTFILE "wizard.exe"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!include "MUI2.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef X86
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!endif
RequestExecutionLevel user
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_WELCOME
!ifdef LICENSE
  !define MUI_LICENSEPAGE_CHECKBOX
  !insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!endif
!ifdef QUIT_AFTER_WELCOME
  !define MUI_PAGE_CUSTOMFUNCTION_PRE QuitBeforeFolderPage
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!ifdef ENGLISH
  !insertmacro MUI_LANGUAGE "English"
!endif
!insertmacro MUI_LANGUAGE "Russian"

Section "Install"
  SetOutPath "$INSTDIR"
!ifdef INSTALL_SECONDS
  StrCpy $0 0
  copying:
    IntOp $0 $0 + 1
    DetailPrint "Копирование части $0"
    FileOpen $1 "$INSTDIR\part$0.dat" w
    FileWrite $1 "part $0"
    FileClose $1
    Sleep 1000
    IntCmp $0 ${INSTALL_SECONDS} 0 copying
!endif
!ifdef HANG_INSTALL
  waiting:
    Sleep 60000
    Goto waiting
!endif
  File "/oname=readme.txt" "payload.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
!ifndef NO_ENTRY
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
!ifdef VERSION
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
!endif
!endif
SectionEnd

!ifdef EXIT_CODE
Function .onInstSuccess
  SetErrorLevel ${EXIT_CODE}
FunctionEnd
!endif

Section "Uninstall"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

!ifdef QUIT_AFTER_WELCOME
Function QuitBeforeFolderPage
  Quit
FunctionEnd
!endif

!ifdef LINGER
Function .onGUIEnd
  Sleep ${LINGER}
FunctionEnd
!endif
