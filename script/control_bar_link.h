#pragma once
// What the playback operations need from the control bar, the window that
// drives recording and playback. The control bar implements it; App holds a
// pointer to it while the bar is open (null otherwise).
#include "platform/desktop.h"

namespace script {

class ControlBarLink {
 public:
  virtual ~ControlBarLink() = default;
  // The bar's own window; its child windows count as the bar too.
  virtual platform::WindowHandle BarWindow() const = 0;
  virtual void StopStepTimer() = 0;      // tmrDo off
  virtual void StartAdvanceTimer() = 0;  // tmrExit on: the player moves to the next script
  // Reads the next block and starts tmrDo, or ends the script.
  virtual void NextDo() = 0;
  // Moves the bar off a point it covers (to the other end of the screen).
  virtual void MoveAwayFrom(platform::Point screen) = 0;
};

}  // namespace script
