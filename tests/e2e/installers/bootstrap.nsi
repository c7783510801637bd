; A bootstrapper, as many vendors' setup.exe are: it starts the real setup
; CHILD (a file name in its own folder) and ends at once, without a window.
;   CHILD     the setup it starts (required)
;   OUTFILE   where makensis writes it (default bootstrap.exe)

Unicode true
Target amd64-unicode

!ifndef OUTFILE
  !define OUTFILE "bootstrap.exe"
!endif

Name "Bootstrap"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

Section
  Exec '"$EXEDIR\${CHILD}"'
SectionEnd
