#pragma once
// The Windows panel of installed programs, opened from the library window's
// menu and from the control bar's "Панель" while a recording is paused.
#include "app/app.h"

namespace shell {

// Starts the panel without waiting for it, minimized with the focus.
void OpenInstalledProgramsPanel(app::App& app, platform::WindowHandle owner);

}  // namespace shell
