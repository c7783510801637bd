#pragma once
// What the Win32 backend keeps for each open form, shared by its parts:
// forms and the message loop, controls, and menus.
#include "platform/win32/windows_api.h"

#include <map>
#include <memory>
#include <vector>

#include "platform/win32/win32_ui.h"

namespace win32 {

constexpr int kFirstControlId = 100;
constexpr UINT kFirstMenuId = 2000;
constexpr int kCheckBoxSize = 13;  // the check box of a check-list line, at 96 DPI

// A solid brush for a control's own background colour.
struct Brush {
  HBRUSH h = nullptr;
  COLORREF color = 0;
  ~Brush() {
    if (h) DeleteObject(h);
  }
};

// A bitmap or icon resource shown by a picture or picture button.
struct LoadedPicture {
  int id = 0;  // the resource id it was loaded for
  HBITMAP bitmap = nullptr;
  HICON icon = nullptr;
  LoadedPicture() = default;
  LoadedPicture(const LoadedPicture&) = delete;
  LoadedPicture& operator=(const LoadedPicture&) = delete;
  ~LoadedPicture() {
    if (bitmap) DeleteObject(bitmap);
    if (icon) DestroyIcon(icon);
  }
};

struct Win32Ui::FormWindow {
  Win32Ui* ui = nullptr;
  ui::Form* form = nullptr;
  HWND hwnd = nullptr;
  HWND tooltip = nullptr;
  HMENU menu = nullptr;
  HACCEL accelerators = nullptr;
  std::map<ui::Control*, HWND> controls;
  std::map<int, ui::Control*> byId;
  std::map<ui::Control*, std::vector<ui::ListItem>> shownItems;
  std::map<ui::Control*, HFONT> fonts;
  std::map<ui::Control*, std::unique_ptr<LoadedPicture>> pictures;
  std::map<ui::Control*, std::unique_ptr<Brush>> brushes;
  std::map<UINT, ui::MenuItem*> menuItems;
  std::map<UINT_PTR, ui::Timer*> timers;

  ~FormWindow() {
    for (auto& [c, f] : fonts) DeleteObject(f);
    if (accelerators) DestroyAcceleratorTable(accelerators);
  }
  ui::Control* ControlOf(HWND h) const {
    for (auto& [c, w] : controls) {
      if (w == h) return c;
    }
    return nullptr;
  }
};

}  // namespace win32
