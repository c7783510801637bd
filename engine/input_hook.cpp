#include "engine/input_hook.h"

#include "app/app.h"
#include "engine/window_finder.h"
#include "script/control_bar_link.h"
#include "script/playback.h"

namespace engine {

namespace {

// A press's window as it was at the press: the setup may change its page
// before the user-interface thread gets to the event.
struct PressedWindow {
  WindowPath path;
  platform::Point client;
};

}  // namespace

bool InputHook::Install() {
  hook_.reset();
  buttonDown_ = skip_ = false;
  const platform::Desktop& desktop = app_.platform.desktop;
  const platform::System& system = app_.platform.system;
  // This program's windows answer only on its own thread: those are the
  // control bar's, whose presses are not recorded, and are left alone.
  const unsigned ownProcess =
      app_.controlBar ? desktop.ProcessIdOf(app_.controlBar->BarWindow()) : 0;
  hook_ = app_.platform.desktop.InstallMouseHook(
      [this](const platform::HookEvent& event) { OnEvent(event); },
      [&desktop, &system, ownProcess](const platform::HookEvent& event)
          -> std::shared_ptr<const void> {
        if (event.window == 0 || desktop.ProcessIdOf(event.window) == ownProcess) return nullptr;
        auto pressed = std::make_shared<PressedWindow>();
        DescribeWindow(desktop, system, event.window, pressed->path);
        pressed->client = desktop.ScreenToClient(event.window, event.point);
        return pressed;
      });
  return hook_ != nullptr;
}

void InputHook::Remove() {
  hook_.reset();
  buttonDown_ = false;
}

void InputHook::OnEvent(const platform::HookEvent& event) {
  switch (event.action) {
    case platform::HookAction::Press:
      OnPress(event);
      break;
    case platform::HookAction::Move:
      if (!skip_ && buttonDown_) AddEvent(script::action::kMove, event.point);
      break;
    case platform::HookAction::Release:
      OnRelease(event);
      break;
  }
}

void InputHook::OnPress(const platform::HookEvent& event) {
  platform::Desktop& desktop = app_.platform.desktop;
  buttonDown_ = true;
  pressPoint_ = event.point;
  const platform::WindowHandle window =
      event.window != 0 ? event.window : desktop.WindowFromPoint(pressPoint_);
  if (script::IsControlBarWindow(app_, window)) {
    skip_ = true;
    return;
  }
  script::ScriptBuffer& script = app_.script;
  script.BeginBlock();
  skip_ = false;
  const auto* pressed = static_cast<const PressedWindow*>(event.snapshot.get());
  platform::Point client;
  if (pressed && event.window == window) {
    script.block.windowPath = pressed->path;
    client = pressed->client;
  } else {
    DescribeWindow(desktop, app_.platform.system, window, script.block.windowPath);
    client = desktop.ScreenToClient(window, pressPoint_);
  }
  app_.lastTargetWindow = window;
  button_ = static_cast<int16_t>(event.button);
  script.block.mouseEvents.push_back({button_, script::action::kPress, client.x, client.y});
}

void InputHook::OnRelease(const platform::HookEvent& event) {
  // A release without a recorded press (the button was already down when the
  // hook was installed) would repeat the previous block.
  if (skip_ || !buttonDown_) return;
  buttonDown_ = false;
  button_ = static_cast<int16_t>(event.button);
  AddEvent(script::action::kRelease, event.point);
  app_.script.AppendBlock();
}

void InputHook::AddEvent(int16_t action, platform::Point at) {
  app_.script.block.mouseEvents.push_back(
      {button_, action, at.x - pressPoint_.x, at.y - pressPoint_.y});
}

}  // namespace engine
