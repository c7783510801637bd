#pragma once
// A click by input that a button took, watched into the next block.
#include <string>
#include <vector>

#include "engine/play/confirmation.h"

namespace engine {

// A button that took a click and then, with its thread answering, nothing
// anywhere changed this long: the click was lost between press and release
// (the button let the press go without clicking), and it is played again once.
constexpr long long kClickEffectWaitMs = 2000;

// A click by input that a button took, watched into the next block: a wizard
// that changes pages only after the click is over shows the same button,
// unchanged, a moment longer, and a press on it then would skip a page; a
// button that let the press go without clicking shows nothing at all, and
// its click is played again once.
class InputClickWatch {
 public:
  explicit InputClickWatch(app::App& app) : app_(app) {}

  // A gesture went into `before.target`; `watch`: it was a button's click by
  // input that it took, as the button and its setup were just before the
  // press (a wizard may rename the button within the click, Next reading
  // "Install" on the ready page, or raise a page without any window event).
  void Played(const BeforePress& before, std::vector<script::MouseEvent> events, bool watch);
  // A package starts or ends: nothing of the last one is watched.
  void Forget();
  platform::WindowHandle lastTarget() const { return target_; }
  // A window event of the setup came since the press.
  void NoteEvent() { eventSincePress_ = true; }
  // Events that came before a press are no news of what it does.
  void ForgetEvents();
  // The block's window is the one of the last gesture, with no sign that its
  // wizard moved on: the wizard may not have yet, and a second click on a
  // button that it shows a moment longer would skip a page. Only ticks
  // (not `reacting`) press it again; a button that took a click waits for a
  // sign, and with none its click was lost and is played again, here.
  bool HoldsBack(platform::WindowHandle target, bool reacting);
  // The block's window is missing: a click that was lost is played again.
  void ReplayIfLost();

 private:
  // The button, its page or the setup's windows differ from before the click.
  bool Acted() const;
  // Confirmed once it acted, or once it was played again or watched long
  // enough; PlayAgain when nothing changed with the button in front and
  // answering; Pending meanwhile.
  Outcome Check() const;
  void PlayAgain();

  app::App& app_;
  bool armed_ = false;
  bool eventSincePress_ = false;
  platform::WindowHandle target_ = 0;
  std::string caption_;
  int check_ = -1;
  size_t picture_ = 0;
  std::vector<script::MouseEvent> events_;
  long long atMs_ = 0;
  bool replayed_ = false;
};

}  // namespace engine
