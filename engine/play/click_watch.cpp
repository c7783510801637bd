#include "engine/play/click_watch.h"

#include <algorithm>

#include "app/app.h"

namespace engine {

void InputClickWatch::Played(const BeforePress& before, std::vector<script::MouseEvent> events,
                             bool watch) {
  armed_ = watch;
  target_ = before.target;
  caption_ = before.caption;
  check_ = before.check;
  picture_ = before.setupPicture;
  events_ = std::move(events);
  atMs_ = app_.platform.system.AwakeTimeMs();
  replayed_ = false;
}

void InputClickWatch::Forget() {
  armed_ = false;
  target_ = 0;
}

bool InputClickWatch::HoldsBack(platform::WindowHandle target, bool reacting) {
  if (target != target_ || eventSincePress_) return false;
  if (armed_ && Acted()) return false;
  if (reacting) return true;
  if (!armed_) return false;
  const Verdict verdict = Check().verdict;
  if (verdict == Verdict::PlayAgain) PlayAgain();
  return verdict == Verdict::PlayAgain || verdict == Verdict::Pending;
}

void InputClickWatch::ReplayIfLost() {
  if (Check().verdict == Verdict::PlayAgain) PlayAgain();
}

void InputClickWatch::ForgetEvents() {
  app_.platform.desktop.PumpMessages();
  eventSincePress_ = false;
}

bool InputClickWatch::Acted() const {
  const platform::Desktop& desktop = app_.platform.desktop;
  if (eventSincePress_) return true;
  if (!desktop.IsWindow(target_) || !desktop.IsVisible(target_) || !desktop.IsEnabled(target_)) {
    return true;
  }
  return desktop.WindowText(target_) != caption_ || desktop.CheckState(target_) != check_ ||
         PictureOfSetup(app_) != picture_;
}

Outcome InputClickWatch::Check() const {
  if (!armed_ || replayed_ || Acted()) return {Verdict::Confirmed, {}};
  if (app_.platform.system.AwakeTimeMs() - atMs_ < kClickEffectWaitMs) return {};
  // Played again only onto the very button that took it, unchanged, in front.
  const platform::Desktop& desktop = app_.platform.desktop;
  const platform::WindowHandle root = desktop.RootWindow(target_);
  if (desktop.ForegroundWindow() == root && desktop.IsResponding(root)) {
    return {Verdict::PlayAgain, {}};
  }
  return {Verdict::Confirmed, {}};
}

void InputClickWatch::PlayAgain() {
  replayed_ = true;
  ForgetEvents();
  const long long before = app_.platform.system.AwakeTimeMs();
  script::PlayGesture(app_, target_, events_, /*byMessages=*/false);
  // Stop or next may have come meanwhile: the watch then was disarmed.
  if (armed_) atMs_ = std::max(before, app_.platform.system.AwakeTimeMs());
}

}  // namespace engine
