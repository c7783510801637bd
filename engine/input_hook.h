#pragma once
// Turning the user's mouse gestures into action blocks while a recording
// runs. A gesture is a press, the moves with the button held and the release:
// the press describes the window under the cursor and stores the press point
// in that window's client coordinates, moves and the release are offsets from
// the press point, and the release appends the block to the script. Gestures
// that start on the control bar are not recorded.
#include <memory>

#include "platform/desktop.h"

namespace app {
class App;
}

namespace engine {

class InputHook {
 public:
  explicit InputHook(app::App& app) : app_(app) {}

  // Installs the global mouse hook; false when the system refuses it (the
  // recording then captures nothing).
  bool Install();
  void Remove();  // also when not installed
  bool installed() const { return hook_ != nullptr; }

  // One event of the hook; public so that the hook's work can be measured.
  void OnEvent(const platform::HookEvent& event);

 private:
  void OnPress(const platform::HookEvent& event);
  void OnRelease(const platform::HookEvent& event);
  void AddEvent(int16_t action, platform::Point at);

  app::App& app_;
  std::unique_ptr<platform::MouseHook> hook_;
  bool buttonDown_ = false;
  bool skip_ = false;  // the gesture started on the control bar
  platform::Point pressPoint_;
  int16_t button_ = 1;
};

}  // namespace engine
