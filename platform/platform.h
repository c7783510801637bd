#pragma once
// Every outside service the program uses, handed to the logic as one bundle.
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace platform {

struct Platform {
  FileSystem& files;
  IniFiles& ini;
  Registry& registry;
  System& system;
  Desktop& desktop;
  Shell& shell;
  ui::Backend& ui;
};

}  // namespace platform
