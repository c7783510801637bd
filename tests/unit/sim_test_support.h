#pragma once
// A fresh simulated machine and App for each test.
#include <memory>

#include "app/app.h"
#include "platform/sim/sim_machine.h"

struct SimApp {
  sim::SimMachine machine;
  app::App app{machine.platform};
};
