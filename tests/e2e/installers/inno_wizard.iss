; A real Inno Setup 6 wizard for the end-to-end tests, compiled at test time
; by ISCC.exe (a 32-bit program, from the npm package innosetup): the
; language form, a licence, the folder, components with a type list, tasks,
; the ready page, the copying page and a finish page with a run box. The
; setup is a 32-bit one, as Inno Setup's always are.
;
; Defines, given to ISCC as /D:
;   VERSION   the version (default 1.0); the caption names it
;
; What it leaves behind, for the tests to check:
;   <folder>\readme.txt   always
;   <folder>\help.txt     with the component "Справка"
;   <folder>\note.txt     with the task "Записать заметку об установке"
;   its folder: "Program Files (x86)\Inno Demo" by default
;   HKLM\Software\Wow6432Node\...\Uninstall\Inno Demo_is1 (the 32-bit registry view)

#ifndef VERSION
  #define VERSION "1.0"
#endif

[Setup]
AppId=Inno Demo
AppName=Inno Demo
AppVersion={#VERSION}
DefaultDirName={autopf}\Inno Demo
DisableProgramGroupPage=yes
LicenseFile=license.txt
ShowLanguageDialog=yes
Compression=lzma2
OutputDir=.
OutputBaseFilename=inno_wizard

[Languages]
Name: "ru"; MessagesFile: "compiler:Languages\Russian.isl"
Name: "en"; MessagesFile: "compiler:Default.isl"

[Types]
Name: "full"; Description: "Полная установка"
Name: "custom"; Description: "Выборочная установка"; Flags: iscustom

[Components]
Name: "main"; Description: "Программа"; Types: full custom; Flags: fixed
Name: "help"; Description: "Справка"; Types: full

[Tasks]
Name: "note"; Description: "Записать заметку об установке"; Flags: unchecked

[Files]
Source: "payload.txt"; DestDir: "{app}"; DestName: "readme.txt"
Source: "payload.txt"; DestDir: "{app}"; DestName: "help.txt"; Components: help
Source: "payload.txt"; DestDir: "{app}"; DestName: "note.txt"; Tasks: note

[Run]
Filename: "{app}\readme.txt"; Description: "Открыть описание"; Flags: postinstall shellexec skipifsilent
