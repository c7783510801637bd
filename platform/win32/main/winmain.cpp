// The Windows program: the real machine's services, one App, the start-up
// sequence, then the message loop until the last window closes.
#include "platform/win32/windows_api.h"
#include <objbase.h>

#include "app/app.h"
#include "app/startup.h"
#include "platform/win32/win32_machine.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the shell's folder dialog needs COM
  win32::Win32Machine machine(instance);
  app::App app(machine.platform);
  if (!app::Main(app)) return app.exitCode;  // another copy runs, or a refused command line
  return machine.ui.Run();
}
