#include "platform/sim/sim_machine.h"

namespace sim {

SimMachine::SimMachine() {
  files.AddDrive('C', platform::DriveType::Fixed);
  files.AddDrive('D', platform::DriveType::CdRom);
  files.MakeFolders(system.windowsFolder);
  files.MakeFolders(system.tempPath);
  files.MakeFolders(system.programFolder);
  files.PutFile(system.programFolder + "\\orvanta.exe", "MZ");
  files.currentFolder = system.programFolder;  // as when started from its own folder
  registry.WriteString(platform::RegistryRoot::LocalMachine,
                       "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                       system.programFilesFolder);
  registry.writeCount = 0;
}

}  // namespace sim
