#include "engine/play/drawn_press.h"

#include <algorithm>

#include "engine/play/confirmation_base.h"
#include "engine/play/pacing.h"

namespace engine {
namespace {

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
  DrawnPress(app::App& app, BeforePress before, DrawnLook look, StillWait& still)
      : ConfirmationBase(app, std::move(before)),
        still_(still),
        look_(std::move(look)),
        changes_(look_.picture.cells.size(), 0),
        sample_(look_.picture),
        stillSinceMs_(Now()) {}
  Kind kind() const override { return Kind::Picture; }

  Outcome Check() override {
    const platform::WindowHandle target = before_.target;
    const bool shown = desktop().IsWindow(target) && desktop().IsVisible(target);
    const std::optional<Picture> now = shown ? WindowPicture(desktop(), target) : std::nullopt;
    // Gone, or drawn over with one colour: the wizard moved on.
    if (!now || now->cells.size() != look_.picture.cells.size()) return {Verdict::Confirmed, {}};
    Sample(*now);
    if (Counts()) {
      still_.Seen(target, *now, Now());
      return {Verdict::Confirmed, {}};
    }
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

  StillWait& still_;
  DrawnLook look_;
  std::vector<int> changes_;  // of each cell since the press
  std::optional<Picture> sample_;
  long long stillSinceMs_;
};

}  // namespace

std::unique_ptr<Confirmation> ConfirmDrawnPress(app::App& app, const BeforePress& before,
                                                DrawnLook look, StillWait& still) {
  return std::make_unique<DrawnPress>(app, before, std::move(look), still);
}

void StillWait::NewBlock() {
  sinceMs_ = -1;
  changes_.assign(picture_.cells.size(), 0);
}

void StillWait::Seen(platform::WindowHandle window, const Picture& picture, long long nowMs) {
  if (window != window_ || picture.cells.size() != picture_.cells.size()) live_.clear();
  if (window != window_) neverDrawn_ = false;
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

bool StillWait::SettledUnderPointer(platform::Desktop& desktop, platform::WindowHandle target,
                                    platform::Point press, bool byMessages, long long nowMs,
                                    std::optional<DrawnLook>& look) {
  if (!byMessages) PointTo(desktop, target, press, nowMs);
  return Settled(desktop, target, nowMs, look);
}

void StillWait::PointTo(platform::Desktop& desktop, platform::WindowHandle target,
                        platform::Point press, long long nowMs) {
  const platform::Point point = desktop.ClientToScreen(target, press);
  if (desktop.CursorPos() == point) return;
  desktop.SetCursorPos(point);
  changedMs_ = nowMs;
}

bool StillWait::Settled(const platform::Desktop& desktop, platform::WindowHandle target,
                        long long nowMs, std::optional<DrawnLook>& look) {
  look.reset();
  // A picture of one colour (no cells) is a window not drawn yet: shown, its
  // setup too busy to paint it, or its page still loading.
  const Picture picture = WindowPicture(desktop, target).value_or(Picture{});
  if (window_ != target) {
    Seen(target, picture, nowMs);
    return false;
  }
  if (sinceMs_ < 0) sinceMs_ = nowMs;
  Sample(picture, nowMs);
  const bool waitedLongest = nowMs - sinceMs_ >= speed::kMaxStillWaitMs;
  if (picture.cells.empty()) {
    // One that stays so cannot be read: pressed as ever, with no picture
    // to judge the press by, and its later blocks wait no more.
    neverDrawn_ = neverDrawn_ || waitedLongest;
    return neverDrawn_;
  }
  if (nowMs - changedMs_ < speed::kStillMs && !waitedLongest) return false;
  look = DrawnLook{picture, live_};
  // A window that runs all over leaves no part to judge by: then any change
  // is taken for the press's effect, as nothing better can be told.
  if (std::find(live_.begin(), live_.end(), false) == live_.end()) look->live.clear();
  return true;
}

}  // namespace engine
