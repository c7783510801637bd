#include "platform/sim/sim_machine.h"

namespace sim {

SimMachine::SimMachine() {
  system.clockMs = &ui.nowMs;
  files.AddDrive('C', platform::DriveType::Fixed);
  files.AddDrive('D', platform::DriveType::CdRom);
  files.MakeFolders(system.windowsFolder);
  files.MakeFolders(system.tempPath);
  files.MakeFolders(system.programFolder);
  files.PutFile(system.programFolder + "\\orvanta.exe", "MZ");
  files.currentFolder = system.programFolder;  // as when started from its own folder
  // A 64-bit Windows as the registry shows it to a 64-bit program.
  const char* currentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
  registry.WriteString(platform::RegistryRoot::LocalMachine, currentVersion, "ProgramFilesDir",
                       "C:\\Program Files");
  registry.WriteString(platform::RegistryRoot::LocalMachine, currentVersion,
                       "ProgramFilesDir (x86)", system.programFilesFolder);
  registry.writeCount = 0;
}

}  // namespace sim
