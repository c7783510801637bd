#pragma once
// Presses into a window that draws its own controls: the wait for its
// picture to be still before a press, and the press confirmed by what it
// changed in the picture.
#include <memory>
#include <optional>
#include <vector>

#include "engine/play/confirmation.h"

namespace engine {

// A press into a window that draws its own controls that changed nothing in
// its picture this long is played again, at most this many times; then the
// block counts as played, with a note in the report.
constexpr long long kPictureEffectWaitMs = 1000;
constexpr int kDrawnPressRepeats = 2;

// The press's confirmation; what it is seen to leave in the window goes to
// `still`, the wait before the window's next press.
std::unique_ptr<Confirmation> ConfirmDrawnPress(app::App& app, const BeforePress& before,
                                                DrawnLook look, StillWait& still);

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
  // The pointer goes where the press will (unless it goes `byMessages`)
  // before the picture the press is judged against: what it changes there
  // (a control lit up under it) is no effect of the press, and is waited out
  // with the page's load. Then as Settled.
  bool SettledUnderPointer(platform::Desktop& desktop, platform::WindowHandle target,
                           platform::Point press, bool byMessages, long long nowMs,
                           std::optional<DrawnLook>& look);
  bool Watches(platform::WindowHandle window) const { return window_ == window; }
  // The pointer goes to the next press point ahead of its block: what it
  // lights up there is drawn while the window settles from the last press.
  void PointTo(platform::Desktop& desktop, platform::WindowHandle target, platform::Point press,
               long long nowMs);
  // False while the picture still changes or is not drawn yet; `look` is
  // what it shows now (nothing for a window that cannot be read).
  bool Settled(const platform::Desktop& desktop, platform::WindowHandle target, long long nowMs,
               std::optional<DrawnLook>& look);

 private:
  void Sample(const Picture& picture, long long nowMs);

  platform::WindowHandle window_ = 0;
  Picture picture_;
  std::vector<int> changes_;  // of each cell, since the block's first look
  std::vector<bool> live_;    // of each cell, over the blocks of this window
  long long sinceMs_ = 0, changedMs_ = 0;
  bool neverDrawn_ = false;  // stayed one colour for the longest wait
};

}  // namespace engine
