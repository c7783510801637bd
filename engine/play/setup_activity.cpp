#include "engine/play/setup_activity.h"

#include <algorithm>
#include <functional>
#include <string>

namespace engine {
namespace {

// The setup's work (processor milliseconds, ten for a file read or write)
// is looked at this often; it counts as working when the count grew by at
// least kWorkPerSecond a second meanwhile: 5 % of a processor, or five reads
// or writes a second. A wizard that waits for a click wakes now and then (a
// blinking caret) and is charged a clock tick (10 to 16 ms) at times: so
// little is no sign of an installation going on.
constexpr long long kWorkSampleMs = 1000;
constexpr unsigned long long kWorkPerSecond = 50;

// Deeper than any wizard's window tree.
constexpr int kMaxPictureDepth = 32;

// The texts of the shown windows below `parent` and whether each is enabled.
void DescribeShownWindows(const platform::Desktop& desktop, platform::WindowHandle parent,
                          int depth, std::string& out) {
  if (depth >= kMaxPictureDepth) return;
  for (const platform::WindowHandle child : desktop.ChildWindows(parent)) {
    if (!desktop.IsVisible(child)) continue;
    out += std::to_string(child) + desktop.WindowText(child);
    out += desktop.IsEnabled(child) ? "\n+" : "\n-";
    DescribeShownWindows(desktop, child, depth + 1, out);
  }
}

void AddShownWindows(const platform::Desktop& desktop, platform::WindowHandle parent, int depth,
                     std::vector<PageWindow>& out) {
  if (depth >= kMaxPictureDepth) return;
  for (const platform::WindowHandle child : desktop.ChildWindows(parent)) {
    if (!desktop.IsVisible(child)) continue;
    out.push_back({child, desktop.WindowText(child), desktop.IsEnabled(child),
                   desktop.ButtonKindOf(child) != platform::ButtonKind::None});
    AddShownWindows(desktop, child, depth + 1, out);
  }
}

}  // namespace

std::vector<PageWindow> PageOf(const platform::Desktop& desktop, platform::WindowHandle root) {
  std::vector<PageWindow> page;
  if (!desktop.IsWindow(root)) return page;
  page.push_back({root, desktop.WindowText(root), desktop.IsEnabled(root), false});
  AddShownWindows(desktop, root, 1, page);
  return page;
}

std::vector<platform::WindowHandle> ShownTopWindows(const platform::Desktop& desktop,
                                                    const platform::Process& setup) {
  std::vector<platform::WindowHandle> shown;
  SetupProcesses processes(setup);
  for (const platform::WindowHandle top : desktop.ChildWindows(0)) {
    if (processes.Owns(desktop.ProcessIdOf(top)) && desktop.IsVisible(top)) shown.push_back(top);
  }
  return shown;
}

bool SetupProcesses::Owns(unsigned process) {
  auto known = owned_.find(process);
  if (known == owned_.end()) known = owned_.emplace(process, setup_.Owns(process)).first;
  return known->second;
}

size_t SetupPicture(const platform::Desktop& desktop, const platform::Process& setup) {
  std::string picture;
  SetupProcesses processes(setup);
  for (const platform::WindowHandle top : desktop.ChildWindows(0)) {
    if (!processes.Owns(desktop.ProcessIdOf(top)) || !desktop.IsVisible(top)) continue;
    picture += std::to_string(top) + desktop.WindowText(top) +
               (desktop.IsEnabled(top) ? "\n+" : "\n-");
    DescribeShownWindows(desktop, top, 1, picture);
  }
  return std::hash<std::string>{}(picture);
}

void SetupActivity::BeginPackage() {
  work_ = 0;
  picture_ = 0;
  workedMs_ = sampledMs_ = system_.AwakeTimeMs();
}

void SetupActivity::BeginWait() { workedMs_ = sampledMs_ = system_.AwakeTimeMs(); }

void SetupActivity::Sample(const platform::Process* setup) {
  const long long now = system_.AwakeTimeMs();
  if (!setup || now - sampledMs_ < kWorkSampleMs) return;
  const unsigned long long work = setup->WorkDone();
  const auto elapsed = static_cast<unsigned long long>(now - sampledMs_);
  const size_t picture = SetupPicture(desktop_, *setup);
  if (work >= work_ + kWorkPerSecond * elapsed / 1000 || picture != picture_) workedMs_ = now;
  work_ = work;
  picture_ = picture;
  sampledMs_ = now;
}

void SetupActivity::NoteChange() { workedMs_ = system_.AwakeTimeMs(); }

long long SetupActivity::IdleMs(long long sinceMs) const {
  return system_.AwakeTimeMs() - std::max(sinceMs, workedMs_);
}

bool SetupActivity::IdleFor(int timeoutSeconds, long long sinceMs,
                            const platform::Process* setup) {
  if (timeoutSeconds <= 0) return false;
  Sample(setup);
  return IdleMs(sinceMs) >= timeoutSeconds * 1000LL;
}

bool WindowHangs(const platform::Desktop& desktop, platform::WindowHandle window) {
  if (window == 0 || !desktop.IsWindow(window)) return false;
  return !desktop.IsResponding(desktop.RootWindow(window));
}

}  // namespace engine
