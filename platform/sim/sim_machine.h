#pragma once
// A whole simulated Windows machine: drive C: with the usual folders, a
// CD-ROM drive D:, Windows-1251 as the ANSI code page, the program's folder
// as the current folder, and an empty desktop.
#include "platform/platform.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"

namespace sim {

class SimMachine {
 public:
  SimMachine();

  SimFileSystem files;
  SimIniFiles ini{files};
  SimRegistry registry;
  SimSystem system;
  SimDesktop desktop;
  SimShell shell{files};
  SimUi ui{desktop};
  platform::Platform platform{files, ini, registry, system, desktop, shell, ui};

  // The machine sleeps (a closed lid, a power plan that a program could not
  // hold off): no program runs and the clock jumps; timers that fell due
  // meanwhile fire at once on waking.
  void Sleep(long long ms) {
    system.sleptMs += ms;
    ui.Suspend(ms);
  }
};

}  // namespace sim
