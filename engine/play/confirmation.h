#pragma once
// Whether a gesture went in. A click or text sent as window messages, and a
// press into a window that draws its own controls, show no sign of their own
// that they arrived; a click by input that a button took may still have
// been lost on its way. Each kind is asked on every tick until it says the
// gesture is in, is to be played again, or is given up.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/drawn_window.h"
#include "engine/play/setup_activity.h"
#include "platform/desktop.h"
#include "script/playback.h"

namespace app {
class App;
}

namespace engine {

// A click sent as a window message that changed nothing this long (its
// thread answering meanwhile) is sent again, in all kMessageAttempts times; a
// text that did not arrive is put again on the next steps as often. Then the
// package is given up.
constexpr long long kMessageEffectWaitMs = 1000;
constexpr int kMessageAttempts = 3;
// A press into a window that draws its own controls that changed nothing in
// its picture this long is played again, at most this many times; then the
// block counts as played, with a note in the report.
constexpr long long kPictureEffectWaitMs = 1000;
constexpr int kDrawnPressRepeats = 2;
// A button that took a click and then, with its thread answering, nothing
// anywhere changed this long: the click was lost between press and release
// (the button let the press go without clicking), and it is played again once.
constexpr long long kClickEffectWaitMs = 2000;

enum class Verdict {
  Pending,    // not yet: asked again on the next tick
  Confirmed,  // the gesture is in
  PlayAgain,  // it changed nothing: PlayAgain() now
  GiveUp,     // it will not go in: `reason` says why
  Noted,      // taken as in, with a note: `reason` is its heading
};
struct Outcome {
  Verdict verdict = Verdict::Pending;
  std::string reason;
};

class Confirmation {
 public:
  enum class Kind { Click, Text, Picture };
  virtual ~Confirmation() = default;
  virtual Kind kind() const = 0;
  virtual platform::WindowHandle target() const = 0;
  virtual Outcome Check() = 0;
  // Plays it once more, the way this kind is played again.
  virtual script::Gesture PlayAgain() = 0;
  // The last PlayAgain never reached the window (covered, or lost on the
  // way): it does not count, and is owed once the window can take it.
  virtual void NotPlayed() = 0;
  // What a confirmed press left in its drawn window.
  virtual std::optional<Picture> pictureAfter() const { return std::nullopt; }
};

// What a gesture is checked against: its window and setup just before it.
struct BeforePress {
  platform::WindowHandle target = 0;
  script::Gesture gesture = script::Gesture::Played;
  size_t picture = 0;  // of the setup's windows, or of a drawn window
  int check = -1;      // of the target
  std::string caption;  // of the target
  std::string text;     // of the target, before a text was put
  // For a button: its page, and the setup's shown top-level windows.
  std::vector<PageWindow> page;
  std::vector<platform::WindowHandle> topWindows;
};

// A button's window and setup just before a gesture into it.
BeforePress BeforeButtonPress(const app::App& app, platform::WindowHandle target);

// A window that draws its own controls as it looked just before a press:
// its picture, and which parts of it changed by themselves meanwhile.
struct DrawnLook {
  Picture picture;
  std::vector<bool> live;
};

// What the gesture just played must show before its block counts, judged
// against `before`: a click by window messages into a button (a dialog that
// is not active may ignore it, a busy one may lose it), or a press into a
// window that draws its own controls (`drawn`). Null when the gesture speaks
// for itself.
std::unique_ptr<Confirmation> ConfirmationFor(app::App& app, const BeforePress& before,
                                              std::optional<DrawnLook> drawn);
// Puts the block's text into `before.target` (WM_SETTEXT); what must show
// that it arrived, null when it did or the block has none.
std::unique_ptr<Confirmation> PutText(app::App& app, BeforePress before);

// The text is in when the window reads it back, or at least no longer what it
// was (a field that formats what it is given, a serial number with dashes).
// A window that reads back nothing cannot tell (a password field gives
// another program no text), nor can one that is gone (the next block shows
// whether its wizard went on); one that does not answer has not taken it.
bool TextArrived(const app::App& app, platform::WindowHandle target, const std::string& before);

size_t PictureOfSetup(const app::App& app);

// A click by input that a button took, watched into the next block: a wizard
// that changes pages only after the click is over shows the same button,
// unchanged, a moment longer, and a press on it then would skip a page; a
// button that let the press go without clicking shows nothing at all, and
// its click is played again once.
class InputClickWatch {
 public:
  explicit InputClickWatch(app::App& app) : app_(app) {}

  // The button, as it and its setup were just before the press: a wizard may
  // rename the button within the click (Next reading "Install" on the ready
  // page) or raise a page without any window event.
  void Arm(const BeforePress& before, std::vector<script::MouseEvent> events);
  void Disarm() { armed_ = false; }
  bool armed() const { return armed_; }
  // A window event of the setup came since the press.
  void NoteEvent() { eventSincePress_ = true; }
  // Events that came before a press are no news of what it does.
  void ForgetEvents();
  bool eventSincePress() const { return eventSincePress_; }
  // The button, its page or the setup's windows differ from before the click.
  bool Acted() const;
  // Confirmed once it acted, or once it was played again or watched long
  // enough; PlayAgain when nothing changed with the button in front and
  // answering; Pending meanwhile.
  Outcome Check() const;
  void PlayAgain();

 private:
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

// The wait before a press into a window that draws its own controls: while
// its picture still changes (a page loading) the press waits, at most
// speed::kMaxStillWaitMs from the block's first look at the window. A part
// seen to change more than once while a block of this window waited runs by
// itself (a page's loading bar, a caret): what it does later is no effect of
// a press. A page coming up and the pointer lighting a control up change a
// part once; what a press changes is not looked at here.
class StillWait {
 public:
  // A new block: the wait starts again at its first look.
  void NewBlock();
  void Forget() { *this = {}; }
  // The picture a press was seen to leave.
  void Seen(platform::WindowHandle window, const Picture& picture, long long nowMs);
  // Something that changes the picture happened (the pointer moved onto it).
  void Changed(long long nowMs) { changedMs_ = nowMs; }
  // False while the picture still changes; `look` is what it shows now.
  bool Settled(const platform::Desktop& desktop, platform::WindowHandle target, long long nowMs,
               std::optional<DrawnLook>& look);

 private:
  void Sample(const Picture& picture, long long nowMs);

  platform::WindowHandle window_ = 0;
  Picture picture_;
  std::vector<int> changes_;  // of each cell, since the block's first look
  std::vector<bool> live_;    // of each cell, over the blocks of this window
  long long sinceMs_ = 0, changedMs_ = 0;
};

}  // namespace engine
