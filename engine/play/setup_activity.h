#pragma once
// What the followed setup is doing: which windows are its own, a picture of
// them, and whether it works (processor time, file reads or writes, its
// windows changing) or has been idle, and since when.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace engine {

// Whether a process is one of the setup's, asked of the job once per process.
class SetupProcesses {
 public:
  explicit SetupProcesses(const platform::Process& setup) : setup_(setup) {}
  bool Owns(unsigned process);

 private:
  const platform::Process& setup_;
  std::map<unsigned, bool> owned_;
};

// Which of the setup's windows are shown, in which order, what they say and
// which of them are enabled: a window that appears, comes to the front of its
// siblings (a page raised), changes its text or becomes enabled changes it.
// Out-of-context events say the same, but not of every control, and not
// under Wine, which raises none for a status text or a list that grows.
size_t SetupPicture(const platform::Desktop& desktop, const platform::Process& setup);

// One shown window of a page (a top-level window and everything below it).
struct PageWindow {
  platform::WindowHandle window = 0;
  std::string text;
  bool enabled = false, button = false;
};
// The page's shown windows, front to back, the top-level window first.
std::vector<PageWindow> PageOf(const platform::Desktop& desktop, platform::WindowHandle root);
// The setup's shown top-level windows, front to back: a question asked, a
// dialog replaced by the next one.
std::vector<platform::WindowHandle> ShownTopWindows(const platform::Desktop& desktop,
                                                    const platform::Process& setup);

class SetupActivity {
 public:
  SetupActivity(const platform::Desktop& desktop, const platform::System& system)
      : desktop_(desktop), system_(system) {}

  // A package starts: its setup has done nothing yet, and counts from now.
  void BeginPackage();
  // A wait for a setup that already runs counts from now, its work so far
  // being no news.
  void BeginWait();
  // Looked at once a second: the setup worked (processor time, file reads
  // or writes) or its shown windows changed since the last look.
  void Sample(const platform::Process* setup);
  // A window of the setup's appeared or changed.
  void NoteChange();
  // How long the setup has been idle, counted from `sinceMs` at the earliest.
  long long IdleMs(long long sinceMs) const;
  // Idle for `timeoutSeconds` (none when 0) since `sinceMs`, looked at anew.
  bool IdleFor(int timeoutSeconds, long long sinceMs, const platform::Process* setup);

 private:
  const platform::Desktop& desktop_;
  const platform::System& system_;
  long long workedMs_ = 0, sampledMs_ = 0;
  unsigned long long work_ = 0;
  size_t picture_ = 0;
};

// The window is there and its thread answers no message.
bool WindowHangs(const platform::Desktop& desktop, platform::WindowHandle window);

}  // namespace engine
