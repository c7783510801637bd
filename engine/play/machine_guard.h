#pragma once
// Nobody is at the keyboard during a run: a machine that went to sleep would
// hold the run up until somebody came, and one that logs off would end it
// unreported. While a guard lives, the machine is kept awake and the session
// end is refused with a reason Windows shows.
#include "platform/platform.h"

namespace engine {

class MachineGuard {
 public:
  MachineGuard(platform::Platform& platform, ui::Form& bar);
  ~MachineGuard();
  MachineGuard(const MachineGuard&) = delete;
  MachineGuard& operator=(const MachineGuard&) = delete;

 private:
  platform::Platform& platform_;
  ui::Form& bar_;
};

}  // namespace engine
