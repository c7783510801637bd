#include "engine/play/confirmation.h"

#include <algorithm>
#include <map>

#include "app/app.h"
#include "engine/drawn_window.h"
#include "engine/play/pacing.h"
#include "engine/play/setup_activity.h"

namespace engine {
namespace {

bool Answering(const platform::Desktop& desktop, platform::WindowHandle window) {
  return desktop.IsWindow(window) && desktop.IsResponding(desktop.RootWindow(window));
}

// The parts every kind shares: what it is checked against, how often it was
// played, and since when it is waited for.
class ConfirmationBase : public Confirmation {
 public:
  ConfirmationBase(app::App& app, BeforePress before)
      : app_(app), before_(std::move(before)), sinceMs_(Now()) {}
  platform::WindowHandle target() const override { return before_.target; }

 protected:
  long long Now() const { return app_.platform.system.AwakeTimeMs(); }
  const platform::Desktop& desktop() const { return app_.platform.desktop; }
  void Played() {
    ++attempts_;
    sinceMs_ = Now();
    owed_ = false;
  }
  void NotPlayed() override {
    --attempts_;
    owed_ = true;
  }

  app::App& app_;
  BeforePress before_;
  long long sinceMs_;
  int attempts_ = 1;
  bool owed_ = false;  // the last play never reached the window
};

// A click counts by what it did to its button or its page: the button's
// check or caption, the button gone or disabled, the page's windows shown
// or raised, a button of the page renamed, enabled or disabled, a window of
// the setup come or gone. A label that changes on its own (a clock, a
// progress text) is no sign: a label's text counts only once the wait is
// over, and only if it changed once.
class MessageClick : public ConfirmationBase {
 public:
  MessageClick(app::App& app, BeforePress before)
      : ConfirmationBase(app, std::move(before)),
        root_(desktop().RootWindow(before_.target)) {
    for (const PageWindow& w : before_.page) labels_[w.window] = {w.text, 0};
  }
  Kind kind() const override { return Kind::Click; }

  Outcome Check() override {
    if (Arrived()) return {Verdict::Confirmed, {}};
    if (owed_) return {Verdict::PlayAgain, {}};
    if (!Answering(desktop(), before_.target) || Now() - sinceMs_ < kMessageEffectWaitMs) {
      return {};  // a busy setup may still act on it
    }
    if (attempts_ >= kMessageAttempts) return {Verdict::GiveUp, "окно не приняло нажатие"};
    return {Verdict::PlayAgain, {}};
  }

  // Once more, another way: the notice a click sends the button's dialog,
  // which acts on it whether it is active or not, with the check a click
  // would give a check box or radio button; the third time its click again,
  // once its dialog was brought forward.
  script::Gesture PlayAgain() override {
    Played();
    for (auto& [window, label] : labels_) label.changes = 0;
    platform::Desktop& desktop = app_.platform.desktop;
    const platform::WindowHandle target = before_.target;
    if (attempts_ == kMessageAttempts) {
      desktop.ForceForeground(desktop.RootWindow(target));
      desktop.PostButtonClick(target);
    } else {
      const platform::ButtonKind kind = desktop.ButtonKindOf(target);
      if (kind == platform::ButtonKind::Check) desktop.PostButtonCheck(target, before_.check == 0);
      if (kind == platform::ButtonKind::Radio) desktop.PostButtonCheck(target, 1);
      desktop.PostButtonCommand(target);
    }
    desktop.PumpMessages();
    return before_.gesture;
  }

 private:
  struct Label {
    std::string text;
    int changes = 0;
  };

  bool Arrived() {
    const platform::WindowHandle target = before_.target;
    if (!desktop().IsWindow(target) || !desktop().IsVisible(target) ||
        !desktop().IsEnabled(target)) {
      return true;
    }
    const int check = desktop().CheckState(target);
    if (check >= 0 && check != before_.check) return true;
    if (desktop().WindowText(target) != before_.caption) return true;
    if (app_.setupProcess &&
        ShownTopWindows(desktop(), *app_.setupProcess) != before_.topWindows) {
      return true;
    }
    return PageChanged();
  }

  bool PageChanged() {
    const std::vector<PageWindow> page = PageOf(desktop(), root_);
    if (page.size() != before_.page.size()) return true;
    bool labelChangedOnce = false;
    for (size_t i = 0; i < page.size(); ++i) {
      const PageWindow& now = page[i];
      const PageWindow& was = before_.page[i];
      if (now.window != was.window) return true;
      if (now.button && (now.text != was.text || now.enabled != was.enabled)) return true;
      Label& label = labels_[now.window];
      if (now.text != label.text) {
        label.text = now.text;
        ++label.changes;
      }
      labelChangedOnce = labelChangedOnce || (label.changes == 1 && now.text != was.text);
    }
    return labelChangedOnce && Now() - sinceMs_ >= kMessageEffectWaitMs;
  }

  platform::WindowHandle root_;
  std::map<platform::WindowHandle, Label> labels_;
};

class TextPut : public ConfirmationBase {
 public:
  using ConfirmationBase::ConfirmationBase;
  Kind kind() const override { return Kind::Text; }

  Outcome Check() override {
    if (TextArrived(app_, before_.target, before_.text)) return {Verdict::Confirmed, {}};
    if (!Answering(desktop(), before_.target)) return {};
    if (owed_) return {Verdict::PlayAgain, {}};
    if (attempts_ >= kMessageAttempts) return {Verdict::GiveUp, "окно не приняло текст"};
    return {Verdict::PlayAgain, {}};
  }

  script::Gesture PlayAgain() override {
    Played();
    script::PutBlockText(app_, before_.target);
    return before_.gesture;
  }
};

// The press counts by what it changed in the window's picture against the
// picture just before it, the parts that run by themselves left out: those
// seen changing more than once, before the press or since. A change under
// the press point, or over a quarter of the window (a new page), counts at
// once; a smaller one elsewhere once the picture is still again, by when a
// part that runs by itself (a bar moving on) has shown that it does. A press
// that changed nothing is played again, judged against the picture just
// before it.
class DrawnPress : public ConfirmationBase {
 public:
  DrawnPress(app::App& app, BeforePress before, DrawnLook look)
      : ConfirmationBase(app, std::move(before)),
        look_(std::move(look)),
        changes_(look_.picture.cells.size(), 0),
        sample_(look_.picture),
        stillSinceMs_(Now()) {}
  Kind kind() const override { return Kind::Picture; }
  std::optional<Picture> pictureAfter() const override { return sample_; }

  Outcome Check() override {
    const platform::WindowHandle target = before_.target;
    const bool shown = desktop().IsWindow(target) && desktop().IsVisible(target);
    const std::optional<Picture> now = shown ? WindowPicture(desktop(), target) : std::nullopt;
    // Gone, or drawn over with one colour: the wizard moved on.
    if (!now || now->cells.size() != look_.picture.cells.size()) {
      sample_ = now;
      return {Verdict::Confirmed, {}};
    }
    Sample(*now);
    if (Counts()) return {Verdict::Confirmed, {}};
    // A busy window may still take the press it has queued: a second one
    // now would be a second press.
    if (!Answering(desktop(), target)) return {};
    if (owed_) return {Verdict::PlayAgain, {}};
    if (Now() - sinceMs_ < kPictureEffectWaitMs) return {};
    if (attempts_ > kDrawnPressRepeats) return {Verdict::Noted, "Нажатие не изменило окно"};
    return {Verdict::PlayAgain, {}};
  }

  // The page may have ignored it while it loaded: once more, the same way.
  script::Gesture PlayAgain() override {
    Played();
    if (sample_) look_.picture = *sample_;
    return script::PlayGesture(app_, before_.target, app_.script.block.mouseEvents,
                               before_.gesture == script::Gesture::PlayedByMessages);
  }

 private:
  void Sample(const Picture& now) {
    if (sample_ && now == *sample_) return;
    for (size_t i = 0; sample_ && i < now.cells.size(); ++i) {
      changes_[i] += now.cells[i] != sample_->cells[i];
    }
    sample_ = now;
    stillSinceMs_ = Now();
  }

  bool Counts() const {
    const Picture& now = *sample_;
    const size_t pressed = PressedCell();
    size_t differing = 0;
    bool underPress = false;
    for (size_t i = 0; i < now.cells.size(); ++i) {
      const bool live = changes_[i] > 1 || (i < look_.live.size() && look_.live[i]);
      if (live || now.cells[i] == look_.picture.cells[i]) continue;
      ++differing;
      underPress = underPress || i == pressed;
    }
    if (differing == 0) return false;
    if (underPress || differing * 4 >= now.cells.size()) return true;
    return Now() - stillSinceMs_ >= speed::kStillMs;
  }

  // The cell of the grid that the press point lies in.
  size_t PressedCell() const {
    const platform::Point press = FirstPress(app_.script.block.mouseEvents);
    const platform::ScreenArea area = desktop().ClientArea(before_.target);
    if (area.width <= 0 || area.height <= 0) return look_.picture.cells.size();
    const int column = std::clamp(press.x * kPictureGrid / area.width, 0, kPictureGrid - 1);
    const int row = std::clamp(press.y * kPictureGrid / area.height, 0, kPictureGrid - 1);
    return static_cast<size_t>(row * kPictureGrid + column);
  }

  DrawnLook look_;
  std::vector<int> changes_;  // of each cell since the press
  std::optional<Picture> sample_;
  long long stillSinceMs_;
};

}  // namespace

std::unique_ptr<Confirmation> ConfirmationFor(app::App& app, const BeforePress& before,
                                              std::optional<DrawnLook> drawn) {
  if (drawn) return std::make_unique<DrawnPress>(app, before, std::move(*drawn));
  const platform::Desktop& desktop = app.platform.desktop;
  if (before.gesture == script::Gesture::PlayedByMessages &&
      desktop.ButtonKindOf(before.target) != platform::ButtonKind::None &&
      script::IsPlainClick(app.script.block.mouseEvents) && app.setupProcess) {
    return std::make_unique<MessageClick>(app, before);
  }
  return nullptr;
}

std::unique_ptr<Confirmation> PutText(app::App& app, BeforePress before) {
  std::string& text = app.script.block.blockText;
  if (text.empty() || text == std::string(1, '\0')) return nullptr;
  before.text = script::ReadWindowText(app, before.target);
  script::PutBlockText(app, before.target);
  if (TextArrived(app, before.target, before.text)) {
    text.clear();
    return nullptr;
  }
  return std::make_unique<TextPut>(app, std::move(before));
}

BeforePress BeforeButtonPress(const app::App& app, platform::WindowHandle target) {
  const platform::Desktop& desktop = app.platform.desktop;
  BeforePress before;
  before.target = target;
  before.caption = desktop.WindowText(target);
  if (desktop.ButtonKindOf(target) == platform::ButtonKind::None) return before;
  before.picture = PictureOfSetup(app);
  before.check = desktop.CheckState(target);
  before.page = PageOf(desktop, desktop.RootWindow(target));
  if (app.setupProcess) before.topWindows = ShownTopWindows(desktop, *app.setupProcess);
  return before;
}

bool TextArrived(const app::App& app, platform::WindowHandle target, const std::string& before) {
  const platform::Desktop& desktop = app.platform.desktop;
  if (!desktop.IsWindow(target)) return true;
  if (!desktop.IsResponding(desktop.RootWindow(target))) return false;
  std::string wanted = app.script.block.blockText;
  while (!wanted.empty() && wanted.back() == '\0') wanted.pop_back();
  const std::string now = script::ReadWindowText(app, target);
  return now == wanted || now != before || now.empty();
}

size_t PictureOfSetup(const app::App& app) {
  return app.setupProcess ? SetupPicture(app.platform.desktop, *app.setupProcess) : 0;
}

void InputClickWatch::Arm(const BeforePress& before, std::vector<script::MouseEvent> events) {
  armed_ = true;
  target_ = before.target;
  caption_ = before.caption;
  check_ = before.check;
  picture_ = before.picture;
  events_ = std::move(events);
  atMs_ = app_.platform.system.AwakeTimeMs();
  replayed_ = false;
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

void StillWait::NewBlock() {
  sinceMs_ = -1;
  changes_.assign(picture_.cells.size(), 0);
}

void StillWait::Seen(platform::WindowHandle window, const Picture& picture, long long nowMs) {
  if (window != window_ || picture.cells.size() != picture_.cells.size()) live_.clear();
  window_ = window;
  picture_ = picture;
  changes_.assign(picture.cells.size(), 0);
  live_.resize(picture.cells.size(), false);
  sinceMs_ = changedMs_ = nowMs;
}

void StillWait::Sample(const Picture& picture, long long nowMs) {
  if (picture == picture_) return;
  if (picture.cells.size() != picture_.cells.size()) {
    changes_.assign(picture.cells.size(), 0);
    live_.assign(picture.cells.size(), false);
  } else {
    for (size_t i = 0; i < picture.cells.size(); ++i) {
      if (picture.cells[i] == picture_.cells[i]) continue;
      if (++changes_[i] > 1) live_[i] = true;
    }
  }
  picture_ = picture;
  changedMs_ = nowMs;
}

bool StillWait::Settled(const platform::Desktop& desktop, platform::WindowHandle target,
                        long long nowMs, std::optional<DrawnLook>& look) {
  look.reset();
  const std::optional<Picture> picture = WindowPicture(desktop, target);
  // Nothing can be told from a picture of one colour: pressed as ever.
  if (!picture) return true;
  if (window_ != target) {
    Seen(target, *picture, nowMs);
    return false;
  }
  if (sinceMs_ < 0) sinceMs_ = nowMs;
  Sample(*picture, nowMs);
  if (nowMs - changedMs_ < speed::kStillMs && nowMs - sinceMs_ < speed::kMaxStillWaitMs) {
    return false;
  }
  look = DrawnLook{*picture, live_};
  // A window that runs all over leaves no part to judge by: then any change
  // is taken for the press's effect, as nothing better can be told.
  if (std::find(live_.begin(), live_.end(), false) == live_.end()) look->live.clear();
  return true;
}

}  // namespace engine
