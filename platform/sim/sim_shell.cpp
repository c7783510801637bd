#include "platform/sim/sim_shell.h"

#include "platform/text.h"

namespace sim {

namespace {
constexpr long kFileNotFound = 2;
constexpr long kStarted = 42;
}  // namespace

void SimShell::RegisterProgram(const std::string& path,
                               std::function<void(const std::string&)> onStart) {
  programs_[text::FoldCase(path)] = std::move(onStart);
}

long SimShell::Execute(platform::WindowHandle owner, const std::string& operation,
                       const std::string& file, const std::string& parameters,
                       const std::string& directory, int showCommand) {
  launches.push_back({owner, operation, file, parameters, directory, showCommand});
  if (failWith != 0) {
    const long result = failWith;
    failWith = 0;
    return result;
  }
  if (!files_.Exists(file)) return kFileNotFound;
  auto it = programs_.find(text::FoldCase(file));
  if (it != programs_.end() && it->second) it->second(parameters);
  return kStarted;
}

}  // namespace sim
