#pragma once
// Windows that draw their own controls (Qt, WPF, Electron, skinned setups):
// a press goes to a client point of one large window, which shows no button
// that could be asked whether it was clicked. What the press changed in the
// window's picture is the only sign that it was taken.
#include <optional>
#include <vector>

#include "platform/desktop.h"
#include "script/ovs_format.h"

namespace engine {

// The press point of a gesture (client coordinates); (0, 0) when it has none.
platform::Point FirstPress(const std::vector<script::MouseEvent>& events);
// A press at `press` lands on something the window draws itself: it is no
// control of the system's (a button, a field, a list, a dialog's background)
// and no child window lies under the point.
bool IsDrawnSurface(const platform::Desktop& desktop, platform::WindowHandle window,
                    platform::Point press);
// A fingerprint of the window's client area as drawn now; nothing when the
// picture cannot be read or is all one colour.
std::optional<size_t> WindowPicture(const platform::Desktop& desktop,
                                    platform::WindowHandle window);

}  // namespace engine
