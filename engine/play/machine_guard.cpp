#include "engine/play/machine_guard.h"

namespace engine {

MachineGuard::MachineGuard(platform::Platform& platform, ui::Form& bar)
    : platform_(platform), bar_(bar) {
  platform_.system.KeepAwake(true);
  platform_.ui.SetShutdownReason(
      bar_, "Orvanta устанавливает программы: завершение сеанса прервёт установку");
}

MachineGuard::~MachineGuard() {
  platform_.system.KeepAwake(false);
  platform_.ui.SetShutdownReason(bar_, std::string());
}

}  // namespace engine
