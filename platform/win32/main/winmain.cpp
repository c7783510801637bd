// The Windows program: the real machine's services, one App, the start-up
// sequence, then the message loop until the last window closes.
#include "platform/win32/windows_api.h"
#include <objbase.h>

#include "app/app.h"
#include "app/startup.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shell's folder dialog needs COM
  win32::Win32FileSystem files;
  win32::Win32IniFiles ini;
  win32::Win32Registry registry;
  win32::Win32System system;
  win32::Win32Desktop desktop;
  win32::Win32Shell shell;
  win32::Win32Ui ui(instance);
  platform::Platform platform{files, ini, registry, system, desktop, shell, ui};
  app::App app(platform);
  if (!app::Main(app)) return app.exitCode;  // another copy runs, or a refused command line
  return ui.Run();
}
