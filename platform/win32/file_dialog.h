#pragma once
// The common open and save dialogs (GetOpenFileNameW / GetSaveFileNameW) for
// one FileDialogRequest built by the dialogs' own logic.
#include <optional>
#include <string>

#include "platform/ui.h"
#include "platform/win32/windows_api.h"

// The chosen path up to its terminating NUL, or nothing when the user
// cancelled or the dialog failed (a name too long for the buffer included).
std::optional<std::string> ShowWin32FileDialog(HWND owner, const ui::FileDialogRequest& r);
