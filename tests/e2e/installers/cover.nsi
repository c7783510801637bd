; A helper for the end-to-end tests: a window that stays above every other
; window over a given rectangle of the screen until a given file exists, then
; closes itself. It stands for another program's window that hides a setup
; wizard's button from the player.
;
;   cover.exe /X=<left> /Y=<top> /W=<width> /H=<height> /RELEASE=<file>
;
; The window is topmost and does not take the focus from the program below.
; It gives up after LIMIT_MS (default two minutes) so that it cannot outlive
; a test that forgot it.

Unicode true
Target amd64-unicode

!ifndef OUTFILE
  !define OUTFILE "cover.exe"
!endif
!ifndef LIMIT_MS
  !define LIMIT_MS 120000
!endif

!include "FileFunc.nsh"

Name "Заслонка"
Caption "Заслонка"
OutFile "${OUTFILE}"
RequestExecutionLevel user
AutoCloseWindow true
ShowInstDetails nevershow
InstallButtonText "Ждите"
Page instfiles

!define HWND_TOPMOST -1
!define SWP_NOACTIVATE 0x0010

Section
  ${GetParameters} $0
  ${GetOptions} $0 "/X=" $1
  ${GetOptions} $0 "/Y=" $2
  ${GetOptions} $0 "/W=" $3
  ${GetOptions} $0 "/H=" $4
  System::Call "user32::SetWindowPos(p $HWNDPARENT, p ${HWND_TOPMOST}, i r1, i r2, i r3, i r4, i ${SWP_NOACTIVATE})"
  ${GetOptions} $0 "/RELEASE=" $5
  StrCpy $6 0
  wait:
    IfFileExists "$5" done
    IntCmp $6 ${LIMIT_MS} done 0 done
    Sleep 100
    IntOp $6 $6 + 100
    Goto wait
  done:
SectionEnd
