#pragma once
// Profile files kept as real ANSI text files of the simulated file system.
#include "platform/ini.h"
#include "platform/sim/sim_files.h"

namespace sim {

class SimIniFiles : public platform::IniFiles {
 public:
  explicit SimIniFiles(SimFileSystem& files) : files_(files) {}
  std::string GetString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& fallback) const override;
  bool PutString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) override;

 private:
  SimFileSystem& files_;
};

}  // namespace sim
