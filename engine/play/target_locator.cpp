#include "engine/play/target_locator.h"

#include "engine/play/pacing.h"
#include "engine/play/setup_activity.h"
#include "engine/window_likeness.h"

namespace engine {

platform::WindowHandle TargetLocator::FindExact(const WindowPath& path,
                                                const platform::Process* setup) const {
  if (!setup) return FindTargetWindow(desktop_, Form(), path);
  SetupProcesses processes(*setup);
  return FindTargetWindow(desktop_, Form(), path,
                          [&](unsigned process) { return processes.Owns(process); });
}

Located TargetLocator::Locate(const WindowPath& path, platform::Point press,
                              const platform::Process* setup, long long missingMs,
                              int speedIndex) const {
  // A recorded window that is there, even hidden (a property sheet's page not
  // shown yet), is the one: nothing else is looked for.
  Located found;
  found.window = FindExact(path, setup);
  // Only among the setup's own windows: without a process to follow, any
  // program's look-alike could be taken.
  if (found.window == 0 && setup && missingMs >= pacing::LikenessDelayMs(speedIndex)) {
    found = FindLikely(path, press, *setup);
  }
  return WithState(std::move(found));
}

Located TargetLocator::FindLikely(const WindowPath& path, platform::Point press,
                                  const platform::Process& setup) const {
  SetupProcesses processes(setup);
  const auto ownedBySetup = [&](unsigned process) { return processes.Owns(process); };
  const LikelyWindow likely = FindLikelyWindow(desktop_, Form(), path, ownedBySetup, press);
  Located found;
  found.window = likely.window;
  if (likely.window == 0) return found;
  found.byLikeness = true;
  // Described before the press changes it.
  WindowPath pressed;
  DescribeWindow(desktop_, Form(), likely.window, pressed);
  found.pressed = DescribePath(pressed);
  found.why = likely.why.empty() ? "тот же путь среди окон программы установки" : likely.why;
  return found;
}

Located TargetLocator::WithState(Located found) const {
  if (found.window == 0 || !desktop_.IsVisible(found.window)) {
    found.state = Located::State::Missing;
  } else {
    found.state = CanTakeInput(desktop_, found.window) ? Located::State::Ready
                                                       : Located::State::NotReady;
  }
  return found;
}

bool CanTakeInput(const platform::Desktop& desktop, platform::WindowHandle target) {
  const platform::WindowHandle root = desktop.RootWindow(target);
  return desktop.IsEnabled(target) && desktop.IsEnabled(root) && desktop.IsResponding(root);
}

}  // namespace engine
