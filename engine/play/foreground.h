#pragma once
// Bringing the block's top-level window to the foreground before a press:
// once per block, and, while another program's window covers it, a few
// tries at a time with quiet ticks between.
#include "platform/desktop.h"

namespace engine {

class Foreground {
 public:
  explicit Foreground(platform::Desktop& desktop) : desktop_(desktop) {}

  void Reset() {
    broughtForward_ = false;
    waitCountdown_ = attemptCount_ = 0;
  }
  // A new block: brought forward again before its press.
  void NewBlock() { broughtForward_ = false; }
  // A block was played: the covered cycle starts with quiet ticks.
  void AfterBlock();
  // The press was lost: the window is brought forward once more.
  void PressLost() { broughtForward_ = false; }
  bool broughtForward() const { return broughtForward_; }
  // False when the top-level window was only now brought to the foreground:
  // its activation must reach it before a press does.
  bool InFront(platform::WindowHandle root);
  // The press point lies under another program's window: a tick of the cycle.
  void OnCovered(platform::WindowHandle root);

 private:
  platform::Desktop& desktop_;
  bool broughtForward_ = false;
  int waitCountdown_ = 0, attemptCount_ = 0;
};

}  // namespace engine
