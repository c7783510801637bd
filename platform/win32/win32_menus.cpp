// Menu bars, pop-up menus and their keyboard shortcuts.
#include "platform/win32/windows_api.h"

#include <cctype>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_ui.h"

namespace win32 {
namespace {

bool ParseShortcut(const std::string& s, ACCEL* accel) {
  std::string key = s;
  accel->fVirt = FVIRTKEY;
  if (key.rfind("Ctrl+", 0) == 0) {
    accel->fVirt |= FCONTROL;
    key = key.substr(5);
  }
  if (key.size() >= 2 && key[0] == 'F' && isdigit(static_cast<unsigned char>(key[1]))) {
    accel->key = static_cast<WORD>(VK_F1 + std::stoi(key.substr(1)) - 1);
  } else if (key == "Del") {
    accel->key = VK_DELETE;
  } else if (key == "Ins") {
    accel->key = VK_INSERT;
  } else if (key.size() == 1) {
    accel->key = static_cast<WORD>(toupper(static_cast<unsigned char>(key[0])));
  } else {
    return false;
  }
  return true;
}

}  // namespace

HMENU Win32Ui::BuildMenuLevel(FormWindow& fw, ui::MenuItem& item, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  for (auto& child : item.children) {
    if (!child->visible) continue;
    if (child->caption == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string caption = child->caption;
    if (!child->shortcut.empty()) caption += "\t" + child->shortcut;
    const UINT flags = (child->checked ? MF_CHECKED : 0) | (child->enabled ? 0 : MF_GRAYED);
    if (!child->children.empty()) {
      AppendMenuW(menu, flags | MF_POPUP,
                  reinterpret_cast<UINT_PTR>(BuildMenuLevel(fw, *child, true)),
                  Wide(caption).c_str());
    } else {
      const UINT id = kFirstMenuId + static_cast<UINT>(fw.menuItems.size());
      fw.menuItems[id] = child.get();
      AppendMenuW(menu, flags | MF_STRING, id, Wide(caption).c_str());
    }
  }
  return menu;
}

void Win32Ui::BuildMenu(FormWindow& fw) {
  fw.menuItems.clear();
  HMENU old = fw.menu;
  fw.menu = nullptr;
  if (!fw.form->menu().children.empty()) fw.menu = BuildMenuLevel(fw, fw.form->menu(), false);
  SetMenu(fw.hwnd, fw.menu);
  if (old) DestroyMenu(old);
  if (fw.accelerators) DestroyAcceleratorTable(fw.accelerators);
  fw.accelerators = nullptr;
  std::vector<ACCEL> accels;
  for (auto& [id, item] : fw.menuItems) {
    ACCEL a{};
    if (!item->shortcut.empty() && ParseShortcut(item->shortcut, &a)) {
      a.cmd = static_cast<WORD>(id);
      accels.push_back(a);
    }
  }
  if (!accels.empty()) fw.accelerators = CreateAcceleratorTableW(accels.data(), int(accels.size()));
}

void Win32Ui::MenuChanged(ui::Form& form) {
  if (FormWindow* fw = Find(form)) {
    BuildMenu(*fw);
    FormChanged(form);  // a menu bar that appears or goes changes the frame
    if (!form.region().empty()) ApplyRegion(*fw);  // and where the client area starts
  }
}

void Win32Ui::ShowPopupMenu(ui::Form& form, ui::MenuItem& popup) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  // Popup items get ids after the menu bar's; they are dropped again afterwards.
  const size_t barItems = fw->menuItems.size();
  HMENU menu = BuildMenuLevel(*fw, popup, true);
  POINT p;
  GetCursorPos(&p);
  const UINT id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, fw->hwnd,
                                 nullptr);
  ui::MenuItem* chosen = fw->menuItems.count(id) ? fw->menuItems[id] : nullptr;
  while (fw->menuItems.size() > barItems) fw->menuItems.erase(std::prev(fw->menuItems.end()));
  DestroyMenu(menu);
  if (chosen && chosen->enabled && chosen->onClick) chosen->onClick();
}

}  // namespace win32
