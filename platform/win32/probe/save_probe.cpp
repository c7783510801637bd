// save_probe.exe: records nothing but saves like the end of a recording, for
// the end-to-end tests of saving on a real disk. It builds a one-click script
// for a setup in "C:\Program Files (x86)\Demo" and hands it to the program's
// own save (macro contraction against this machine's registry, the write
// through a temporary file, the questions, the save-as dialog).
//
//   save_probe FOLDER PACKAGE DESCRIPTION
//
// saves FOLDER\PACKAGE.OVS and appends "saved" or "not saved" to
// save_probe.log beside the program.
#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <string>

#include "app/app.h"
#include "app/paths.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_machine.h"
#include "script/save_script.h"

namespace {

void RecordOneClick(app::App& app, const std::string& description) {
  script::ScriptBuffer& script = app.script;
  script.NewScript(description);
  script.BeginBlock();
  script.block.windowPath = {{"#32770", "Установка Demo App ", 1}, {"Button", "&Далее >", 1}};
  script.block.mouseEvents = {{script::button::kLeft, script::action::kPress, 10, 10},
                              {script::button::kLeft, script::action::kRelease, 0, 0}};
  script.AppendBlock();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 4) return 2;
  win32::Win32Machine machine(instance);
  app::App app(machine.platform);
  app.macros = app::BuildMacroTable(machine.platform);
  app.scriptFolder = win32::Utf8(argv[1]);
  const std::string description = win32::Utf8(argv[3]);
  app.pendingPackage = {"C:\\Program Files (x86)\\Demo\\setup.exe", win32::Utf8(argv[2]),
                        description, "/S"};
  LocalFree(argv);

  RecordOneClick(app, description);
  const bool saved = script::SaveRecording(app, nullptr);
  const std::string log = app::AddBackslash(machine.system.ProgramFolder()) + "save_probe.log";
  machine.files.WriteFile(
      log, machine.files.ReadFile(log).value_or("") + (saved ? "saved\n" : "not saved\n"));
  return saved ? 0 : 1;
}
