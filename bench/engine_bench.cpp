// The recorder's work per press and the player's window search, on desktops
// far busier than a setup wizard's: a window 10 levels deep among 1,000 like
// siblings at every level, and 2,000 top-level windows.
#include <benchmark/benchmark.h>

#include "app/app.h"
#include "engine/input_hook.h"
#include "engine/window_finder.h"
#include "platform/sim/sim_machine.h"

namespace {

using platform::WindowHandle;

constexpr int kDepth = 10, kSiblings = 1000, kTopLevel = 2000;

// Each level holds kSiblings windows of one class and caption; the chain goes
// on through the last of them, so every ordinal counts the whole level.
WindowHandle BuildDeepTree(sim::SimDesktop& desktop) {
  WindowHandle parent = 0;
  for (int level = 0; level < kDepth; ++level) {
    WindowHandle last = 0;
    for (int i = 0; i < kSiblings; ++i) {
      const bool onPath = i == kSiblings - 1;
      last = desktop.AddWindow(parent, "Button", "Элемент", {10, 10, 500, 500}, onPath);
    }
    parent = last;
  }
  return parent;
}

void HookPressAndRelease(benchmark::State& state) {
  sim::SimMachine machine;
  app::App app(machine.platform);
  BuildDeepTree(machine.desktop);
  engine::InputHook hook(app);
  app.script.NewScript("");
  const platform::Point at{100, 100};
  for (auto _ : state) {
    hook.OnEvent({platform::HookAction::Press, 1, at, 0, nullptr});
    hook.OnEvent({platform::HookAction::Release, 1, at, 0, nullptr});
  }
  state.counters["blocks"] = app.script.header().blockCount;
}
BENCHMARK(HookPressAndRelease)->Unit(benchmark::kMicrosecond);

void FindAmongTopLevelWindows(benchmark::State& state) {
  sim::SimDesktop desktop;
  const WindowHandle wizard = desktop.AddWindow(0, "#32770", "Установка Demo App ", {0, 0, 500, 400});
  desktop.AddWindow(wizard, "Button", "&Далее >", {300, 360, 75, 23});
  for (int i = 1; i < kTopLevel; ++i) {
    desktop.AddWindow(0, "#32770", "Окно " + std::to_string(i), {0, 0, 100, 100});
  }
  const sim::SimSystem system;
  const engine::WindowPath path{{"#32770", "Установка Demo App ", 1}, {"Button", "&Далее >", 1}};
  for (auto _ : state) benchmark::DoNotOptimize(engine::FindTargetWindow(desktop, system, path));
}
BENCHMARK(FindAmongTopLevelWindows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
