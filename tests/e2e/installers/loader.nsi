; A loader, as many setups are: it carries the real wizard, puts it into a
; folder of its own under %TEMP% and runs it from there, without a window of
; its own.
;   WIZARD    the wizard it carries (a path on the build machine; required)
;   HANDOVER  when defined, it starts the wizard and ends at once; otherwise
;             it waits for the wizard to end
; Its command line goes to the wizard (/S /D=<folder> installs silently).
;   OUTFILE   where makensis writes it (default loader.exe)

Unicode true
Target amd64-unicode

!include "FileFunc.nsh"

!ifndef OUTFILE
  !define OUTFILE "loader.exe"
!endif

Name "Loader"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

Section
  SetOutPath "$TEMP\OrvantaLoader"
  File "/oname=setup.exe" "${WIZARD}"
  ${GetParameters} $0
  ; The runtime takes a last /D=<folder> off the command line into $INSTDIR.
  StrCmp $INSTDIR "" +2
    StrCpy $0 "$0 /D=$INSTDIR"
!ifdef HANDOVER
  Exec '"$TEMP\OrvantaLoader\setup.exe" $0'
!else
  ExecWait '"$TEMP\OrvantaLoader\setup.exe" $0'
!endif
SectionEnd
