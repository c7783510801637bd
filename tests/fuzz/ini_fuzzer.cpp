// libFuzzer target for the settings file orvanta.ini as the simulated
// machine reads and writes it: any bytes as the file. Reading never returns
// more than the 127 characters of the system's buffer, and writing one key
// changes that key alone.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini.h"
#include "platform/text.h"

namespace {

constexpr const char* kFile = "C:\\Orvanta\\orvanta.ini";

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::SimFileSystem files;
  files.AddDrive('C', platform::DriveType::Fixed);
  files.PutFile(kFile, std::string(reinterpret_cast<const char*>(data), size));
  sim::SimIniFiles ini(files);
  const std::string speed = ini.GetString(kFile, "General", "SpeedInstall", "2");
  const std::string folder = ini.GetString(kFile, "General", "OVSFolder", "%cdrom%\\Folder OVS");
  Require(text::CharCount(speed) <= 127 && text::CharCount(folder) <= 127);

  Require(ini.PutString(kFile, "General", "SpeedInstall", speed == "1" ? "0" : "1"));
  Require(ini.GetString(kFile, "General", "SpeedInstall", "-") == (speed == "1" ? "0" : "1"));
  Require(ini.GetString(kFile, "General", "OVSFolder", "%cdrom%\\Folder OVS") == folder);
  return 0;
}
