#include "engine/play/confirmation.h"

#include <map>

#include "app/app.h"
#include "engine/play/confirmation_base.h"
#include "engine/play/drawn_press.h"
#include "engine/play/setup_activity.h"

namespace engine {
namespace {

// A block's text to put: a stored single NUL is none.
bool HasText(const std::string& text) { return !text.empty() && text != std::string(1, '\0'); }

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
      // A check box's click clears a checked (or indeterminate) box and
      // checks a clear one; one whose state could not be read keeps it.
      if (kind == platform::ButtonKind::Check && before_.check >= 0) {
        desktop.PostButtonCheck(target, before_.check == 0 ? 1 : 0);
      }
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
    // A click that went by messages only when input was refused has no page
    // to compare with: the setup's windows all tell, texts too, as a wrong
    // "not yet" would click twice.
    if (before_.page.empty()) return PictureOfSetup(app_) != before_.setupPicture;
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
    if (TextArrived(app_, before_.target, before_.text)) {
      app_.script.block.blockText.clear();
      return {Verdict::Confirmed, {}};
    }
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

// A click by window messages into a window that is no button (a list, a
// field): it counts when the window took the focus, changed its selection
// or its picture, or is gone. A second click could undo the first (a list
// item ticked and cleared), so one that shows nothing is not played again:
// the report says that it could not be confirmed.
class PostedClick : public ConfirmationBase {
 public:
  using ConfirmationBase::ConfirmationBase;
  Kind kind() const override { return Kind::Click; }

  Outcome Check() override {
    if (Arrived()) return {Verdict::Confirmed, {}};
    if (!Answering(desktop(), before_.target) || Now() - sinceMs_ < kMessageEffectWaitMs) return {};
    return {Verdict::Noted, "Нажатие не подтверждено"};
  }
  script::Gesture PlayAgain() override { return before_.gesture; }

 private:
  bool Arrived() const {
    const platform::WindowHandle target = before_.target;
    if (!desktop().IsWindow(target) || !desktop().IsVisible(target)) return true;
    if (before_.focus != target && desktop().FocusOf(target) == target) return true;
    if (desktop().SelectionOf(target) != before_.selection) return true;
    const std::optional<Picture> picture = WindowPicture(desktop(), target);
    return picture && before_.picture && *picture != *before_.picture;
  }
};

}  // namespace

std::unique_ptr<Confirmation> ConfirmationFor(app::App& app, const BeforePress& before,
                                              std::optional<DrawnLook> drawn, StillWait& still) {
  if (drawn) return ConfirmDrawnPress(app, before, std::move(*drawn), still);
  const platform::Desktop& desktop = app.platform.desktop;
  if (before.gesture == script::Gesture::PlayedByMessages &&
      desktop.ButtonKindOf(before.target) != platform::ButtonKind::None &&
      script::IsPlainClick(app.script.block.mouseEvents) && app.setupProcess) {
    return std::make_unique<MessageClick>(app, before);
  }
  if (before.gesture == script::Gesture::PlayedByMessages && app.setupProcess &&
      desktop.ButtonKindOf(before.target) == platform::ButtonKind::None &&
      !HasText(app.script.block.blockText)) {
    return std::make_unique<PostedClick>(app, before);
  }
  return nullptr;
}

std::unique_ptr<Confirmation> PutText(app::App& app, BeforePress before) {
  std::string& text = app.script.block.blockText;
  if (!HasText(text)) return nullptr;
  before.text = script::ReadWindowText(app, before.target);
  script::PutBlockText(app, before.target);
  if (TextArrived(app, before.target, before.text)) {
    text.clear();
    return nullptr;
  }
  return std::make_unique<TextPut>(app, std::move(before));
}

BeforePress BeforeGesture(const app::App& app, platform::WindowHandle target, bool byMessages) {
  const platform::Desktop& desktop = app.platform.desktop;
  BeforePress before;
  before.target = target;
  before.caption = desktop.WindowText(target);
  if (desktop.ButtonKindOf(target) == platform::ButtonKind::None) {
    if (byMessages) {
      before.focus = desktop.FocusOf(target);
      before.selection = desktop.SelectionOf(target);
      before.picture = WindowPicture(desktop, target);
    }
    return before;
  }
  before.setupPicture = PictureOfSetup(app);
  before.check = desktop.CheckState(target);
  // Read window by window, which costs a message each: only for a click
  // that goes by window messages from the start.
  if (byMessages) {
    before.page = PageOf(desktop, desktop.RootWindow(target));
    if (app.setupProcess) before.topWindows = ShownTopWindows(desktop, *app.setupProcess);
  }
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

}  // namespace engine
