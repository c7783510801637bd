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
// A fingerprint of a window's client area as drawn, part by part: the area
// cut into a grid of kPictureGrid x kPictureGrid cells, each hashed, so that
// a part that changes by itself (a bar running along, a blinking caret) can
// be told from the rest.
constexpr int kPictureGrid = 8;
struct Picture {
  std::vector<size_t> cells;
  bool operator==(const Picture&) const = default;
};
// The window's picture as drawn now; nothing when it cannot be read or is
// all one colour.
std::optional<Picture> WindowPicture(const platform::Desktop& desktop,
                                     platform::WindowHandle window);
// `now` differs from `before` in a cell that `live` does not name (live may
// be empty: no cell is).
bool PictureDiffers(const Picture& before, const Picture& now, const std::vector<bool>& live);

}  // namespace engine
