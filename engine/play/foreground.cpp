#include "engine/play/foreground.h"

#include "engine/play/pacing.h"

namespace engine {

void Foreground::AfterBlock() {
  waitCountdown_ = pacing::kQuietTicksAfterBlock;
  attemptCount_ = 0;
}

bool Foreground::InFront(platform::WindowHandle root) {
  if (desktop_.ForegroundWindow() == root || broughtForward_) return true;
  broughtForward_ = true;
  // A press that arrives before the window's activation is cancelled by it
  // (the button loses its pushed state): press on the next tick. When the
  // system refuses, the press goes in anyway and activates the window itself.
  return !desktop_.ForceForeground(root);
}

void Foreground::OnCovered(platform::WindowHandle root) {
  if (waitCountdown_ == 0 && attemptCount_ < pacing::kForegroundAttempts) {
    ++attemptCount_;
    desktop_.ForceForeground(root);
  } else if (waitCountdown_ <= 0) {
    waitCountdown_ = pacing::kQuietTicksBetweenAttempts;
    attemptCount_ = 0;
  } else {
    --waitCountdown_;
  }
}

}  // namespace engine
