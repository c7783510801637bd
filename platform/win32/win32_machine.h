#pragma once
// The real machine in one piece: every Win32 service of platform/ and the
// Platform that hands them to the program's logic.
#include "platform/platform.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_ui.h"

namespace win32 {

struct Win32Machine {
  explicit Win32Machine(HINSTANCE instance) : ui(instance) {}

  Win32FileSystem files;
  Win32IniFiles ini;
  Win32Registry registry;
  Win32System system;
  Win32Desktop desktop;
  Win32Shell shell;
  Win32Ui ui;
  platform::Platform platform{files, ini, registry, system, desktop, shell, ui};
};

}  // namespace win32
