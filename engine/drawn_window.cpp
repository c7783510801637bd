#include "engine/drawn_window.h"

#include <functional>
#include <string>

#include "platform/text.h"
#include "script/playback.h"

namespace engine {
namespace {

// Classes of the system's own controls and dialogs, which window messages
// and states tell about (fields besides, whatever their class); compared as
// prefixes without regard to case.
constexpr const char* kSystemControls[] = {
    "BUTTON",          "STATIC",        "LISTBOX",         "COMBOBOX",          "COMBOLBOX",
    "SCROLLBAR",       "#32770",        "SYSLISTVIEW32",   "SYSTREEVIEW32",     "SYSTABCONTROL32",
    "SYSHEADER32",     "SYSLINK",       "TOOLBARWINDOW32", "REBARWINDOW32",     "MSCTLS_",
    "SYSDATETIMEPICK32", "SYSMONTHCAL32", "SYSIPADDRESS32", "SYSANIMATE32",     "SYSPAGER",
    "TOOLTIPS_CLASS32"};

bool IsSystemControl(const std::string& className) {
  for (const char* prefix : kSystemControls) {
    if (text::StartsWithNoCase(className, prefix)) return true;
  }
  return script::IsEditClass(className);
}

}  // namespace

platform::Point FirstPress(const std::vector<script::MouseEvent>& events) {
  for (const script::MouseEvent& e : events) {
    if (e.action == script::action::kPress) return {e.x, e.y};
  }
  return {};
}

bool IsDrawnSurface(const platform::Desktop& desktop, platform::WindowHandle window,
                    platform::Point press) {
  if (desktop.ButtonKindOf(window) != platform::ButtonKind::None) return false;
  if (IsSystemControl(desktop.ClassName(window))) return false;
  const platform::Point screen = desktop.ClientToScreen(window, press);
  for (const platform::WindowHandle child : desktop.ChildWindows(window)) {
    if (desktop.IsVisible(child) && desktop.ClientArea(child).Contains(screen)) return false;
  }
  return true;
}

std::optional<Picture> WindowPicture(const platform::Desktop& desktop,
                                     platform::WindowHandle window) {
  const platform::ScreenImage image = desktop.CaptureClient(window);
  if (platform::IsOneColour(image)) return std::nullopt;
  Picture picture;
  picture.cells.reserve(kPictureGrid * kPictureGrid);
  std::string cell;
  for (int row = 0; row < kPictureGrid; ++row) {
    const int top = row * image.height / kPictureGrid, bottom = (row + 1) * image.height / kPictureGrid;
    for (int column = 0; column < kPictureGrid; ++column) {
      const int left = column * image.width / kPictureGrid;
      const int right = (column + 1) * image.width / kPictureGrid;
      cell.clear();
      for (int y = top; y < bottom; ++y) {
        const size_t start = (static_cast<size_t>(y) * image.width + left) * 3;
        cell.append(reinterpret_cast<const char*>(image.rgb.data()) + start, (right - left) * 3);
      }
      picture.cells.push_back(std::hash<std::string>{}(cell));
    }
  }
  return picture;
}

bool PictureDiffers(const Picture& before, const Picture& now, const std::vector<bool>& live) {
  if (before.cells.size() != now.cells.size()) return true;
  for (size_t i = 0; i < now.cells.size(); ++i) {
    if (now.cells[i] != before.cells[i] && (i >= live.size() || !live[i])) return true;
  }
  return false;
}

}  // namespace engine
