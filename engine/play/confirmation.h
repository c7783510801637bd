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

class StillWait;

// A click sent as a window message that changed nothing this long (its
// thread answering meanwhile) is sent again, in all kMessageAttempts times; a
// text that did not arrive is put again on the next steps as often. Then the
// package is given up.
constexpr long long kMessageEffectWaitMs = 1000;
constexpr int kMessageAttempts = 3;
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
};

// What a gesture is checked against: its window and setup just before it.
struct BeforePress {
  platform::WindowHandle target = 0;
  script::Gesture gesture = script::Gesture::Played;
  size_t setupPicture = 0;  // of the setup's windows
  int check = -1;      // of the target
  std::string caption;  // of the target
  std::string text;     // of the target, before a text was put
  // For a button clicked `byMessages`: its page, and the setup's shown
  // top-level windows.
  std::vector<PageWindow> page;
  std::vector<platform::WindowHandle> topWindows;
  // For another window that a click goes to `byMessages`: where its
  // thread's focus is, what it has selected, and its picture.
  platform::WindowHandle focus = 0;
  std::optional<long long> selection;
  std::optional<Picture> picture;
};

// The window and its setup just before a gesture into it.
BeforePress BeforeGesture(const app::App& app, platform::WindowHandle target, bool byMessages);

// A window that draws its own controls as it looked just before a press:
// its picture, and which parts of it changed by themselves meanwhile.
struct DrawnLook {
  Picture picture;
  std::vector<bool> live;
};

// What the gesture just played must show before its block counts, judged
// against `before`: a click by window messages into a button (a dialog that
// is not active may ignore it, a busy one may lose it) or into another
// window (a list, a field) of a block without a text, or a press into a
// window that draws its own controls (`drawn`; what the press is seen to
// leave goes to `still`). Null when the gesture speaks for itself.
std::unique_ptr<Confirmation> ConfirmationFor(app::App& app, const BeforePress& before,
                                              std::optional<DrawnLook> drawn, StillWait& still);
// Puts the block's text into `before.target` (WM_SETTEXT); what must show
// that it arrived, null when it did or the block has none. A text that
// arrived is taken off the block.
std::unique_ptr<Confirmation> PutText(app::App& app, BeforePress before);

// The text is in when the window reads it back, or at least no longer what it
// was (a field that formats what it is given, a serial number with dashes).
// A window that reads back nothing cannot tell (a password field gives
// another program no text), nor can one that is gone (the next block shows
// whether its wizard went on); one that does not answer has not taken it.
bool TextArrived(const app::App& app, platform::WindowHandle target, const std::string& before);

size_t PictureOfSetup(const app::App& app);

}  // namespace engine
