#pragma once
// Programs started through the shell. A test registers a fake program by its
// path; launching it runs the test's callback, which may build its windows.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/sim_files.h"

namespace sim {

class SimShell : public platform::Shell {
 public:
  explicit SimShell(SimFileSystem& files) : files_(files) {}

  struct Launch {
    platform::WindowHandle owner;
    std::string operation, file, parameters, directory;
    int showCommand;
  };
  std::vector<Launch> launches;
  long failWith = 0;  // when nonzero, the next launch returns this value

  void RegisterProgram(const std::string& path, std::function<void(const std::string&)> onStart);

  long Execute(platform::WindowHandle owner, const std::string& operation, const std::string& file,
               const std::string& parameters, const std::string& directory,
               int showCommand) override;

 private:
  SimFileSystem& files_;
  std::map<std::string, std::function<void(const std::string&)>> programs_;
};

}  // namespace sim
