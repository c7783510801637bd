// The toolkit's controls as Win32 child windows: creating them, applying
// their state, drawing check-list lines, and turning notifications and mouse
// messages back into the controls' events.
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_ui.h"

namespace win32 {
namespace {

const wchar_t* WindowClassOf(ui::ControlKind kind) {
  switch (kind) {
    case ui::ControlKind::Label:
    case ui::ControlKind::Picture: return L"STATIC";
    case ui::ControlKind::TextBox: return L"EDIT";
    case ui::ControlKind::ListBox:
    case ui::ControlKind::CheckList: return L"LISTBOX";
    case ui::ControlKind::ComboBox: return L"COMBOBOX";
    default: return L"BUTTON";
  }
}

DWORD StyleOf(const ui::Control& c) {
  const DWORD common = WS_CHILD | (c.visible() ? WS_VISIBLE : 0) | (c.enabled() ? 0 : WS_DISABLED);
  switch (c.kind()) {
    case ui::ControlKind::Label: return common | SS_LEFT | SS_NOTIFY;
    case ui::ControlKind::Picture: return common | SS_BITMAP | SS_NOTIFY;
    case ui::ControlKind::Button:
      return common | WS_TABSTOP | (c.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case ui::ControlKind::CheckBox: return common | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ui::ControlKind::TextBox: return common | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    case ui::ControlKind::ListBox:
      return common | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    case ui::ControlKind::CheckList:
      return common | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
             LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    case ui::ControlKind::ComboBox: return common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case ui::ControlKind::Frame: return common | BS_GROUPBOX;
    case ui::ControlKind::PictureButton: return common | BS_PUSHBUTTON | BS_BITMAP;
  }
  return common;
}

// Virtual-key code and modifiers of a shortcut text such as "F5", "Del" or "Ctrl+N".
}  // namespace

RECT Win32Ui::ScaledRect(const ui::Control& c) const {
  int x = c.bounds().x, y = c.bounds().y;
  for (const ui::Control* in = c.container(); in; in = in->container()) {
    x += in->bounds().x;
    y += in->bounds().y;
  }
  return RECT{Scale(x), Scale(y), Scale(x + c.bounds().width), Scale(y + c.bounds().height)};
}

void Win32Ui::CreateControl(FormWindow& fw, ui::Control& c) {
  const int id = kFirstControlId + static_cast<int>(fw.byId.size());
  const RECT r = ScaledRect(c);
  const DWORD exStyle = c.kind() == ui::ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
  HWND hwnd = CreateWindowExW(exStyle, WindowClassOf(c.kind()), Wide(c.text()).c_str(),
                              StyleOf(c), r.left, r.top, r.right - r.left, r.bottom - r.top,
                              fw.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance_, nullptr);
  if (!hwnd) return;
  fw.controls[&c] = hwnd;
  fw.byId[id] = &c;
  SetWindowSubclass(hwnd, ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ApplyControl(fw, c);
}

void Win32Ui::ControlChanged(ui::Form& form, ui::Control& control) {
  if (FormWindow* fw = Find(form)) ApplyControl(*fw, control);
}

void Win32Ui::ApplyControl(FormWindow& fw, ui::Control& c) {
  auto it = fw.controls.find(&c);
  if (it == fw.controls.end()) return;
  HWND hwnd = it->second;
  applying_ = true;
  const bool hasItems = c.kind() == ui::ControlKind::ListBox ||
                        c.kind() == ui::ControlKind::CheckList ||
                        c.kind() == ui::ControlKind::ComboBox;
  if (!hasItems) {
    std::wstring current(GetWindowTextLengthW(hwnd) + 1, L'\0');
    GetWindowTextW(hwnd, current.data(), int(current.size()));
    current.resize(wcslen(current.c_str()));
    if (Utf8(current) != c.text()) SetWindowTextW(hwnd, Wide(c.text()).c_str());
  }
  const RECT r = ScaledRect(c);
  SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd, c.visible() ? SW_SHOWNA : SW_HIDE);
  EnableWindow(hwnd, c.enabled());
  if (c.kind() == ui::ControlKind::CheckBox) {
    SendMessageW(hwnd, BM_SETCHECK, c.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (c.kind() == ui::ControlKind::Button) {
    SendMessageW(hwnd, BM_SETSTYLE, c.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
  if (hasItems) ApplyItems(fw, c, hwnd);
  ApplyFont(fw, c, hwnd);
  ApplyPicture(c, hwnd);
  ApplyTooltip(fw, c, hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  applying_ = false;
}

void Win32Ui::ApplyItems(FormWindow& fw, ui::Control& c, HWND hwnd) {
  const bool combo = c.kind() == ui::ControlKind::ComboBox;
  std::vector<ui::ListItem>& shown = fw.shownItems[&c];
  bool sameTexts = shown.size() == c.items().size();
  for (size_t i = 0; sameTexts && i < shown.size(); ++i) {
    sameTexts = shown[i].text == c.items()[i].text;
  }
  if (!sameTexts) {
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const ui::ListItem& item : c.items()) {
      SendMessageW(hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Wide(item.text).c_str()));
    }
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  }
  shown = c.items();
  SendMessageW(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, c.selectedIndex(), 0);
}

void Win32Ui::ApplyFont(FormWindow& fw, ui::Control& c, HWND hwnd) {
  HFONT font = font_;
  if (c.fontSize() > 0 || c.bold() || c.monospace()) {
    LOGFONTW lf{};
    GetObjectW(font_, sizeof(lf), &lf);
    if (c.fontSize() > 0) lf.lfHeight = -MulDiv(c.fontSize(), dpi_, 72);
    if (c.bold()) lf.lfWeight = FW_BOLD;
    if (c.monospace()) {  // the font mapper falls back to any fixed-pitch face
      lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
      wcscpy(lf.lfFaceName, L"Courier New");
    }
    if (fw.fonts.count(&c)) DeleteObject(fw.fonts[&c]);
    font = fw.fonts[&c] = CreateFontIndirectW(&lf);
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Win32Ui::ApplyPicture(ui::Control& c, HWND hwnd) {
  if (c.picture() == 0) return;
  FormWindow* fw = Find(c.form());
  if (!fw) return;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(c.picture()),
                                                   IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (!bitmap) return;
  if (fw->bitmaps.count(&c)) DeleteObject(fw->bitmaps[&c]);
  fw->bitmaps[&c] = bitmap;
  const UINT msg = c.kind() == ui::ControlKind::Picture ? STM_SETIMAGE : BM_SETIMAGE;
  SendMessageW(hwnd, msg, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Win32Ui::ApplyTooltip(FormWindow& fw, ui::Control& c, HWND hwnd) {
  if (!fw.tooltip) return;
  std::wstring tip = Wide(c.tooltip());
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = fw.hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
  ti.lpszText = tip.data();
  SendMessageW(fw.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (!tip.empty()) SendMessageW(fw.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Win32Ui::ToggleCheckListItem(ui::Control& c, int index) {
  if (index < 0 || index >= int(c.items().size())) return;
  c.SyncItemChecked(index, !c.items()[index].checked);
  if (FormWindow* fw = Find(c.form())) {
    fw->shownItems[&c] = c.items();
    InvalidateRect(fw->controls[&c], nullptr, FALSE);
  }
}

void Win32Ui::DrawCheckListItem(FormWindow& fw, const DRAWITEMSTRUCT& d) {
  ui::Control* c = fw.byId.count(int(d.CtlID)) ? fw.byId[int(d.CtlID)] : nullptr;
  if (!c || int(d.itemID) < 0 || int(d.itemID) >= int(c->items().size())) return;
  const ui::ListItem& item = c->items()[d.itemID];
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int box = Scale(kCheckBoxSize);
  RECT boxRect{d.rcItem.left + 2, d.rcItem.top + (d.rcItem.bottom - d.rcItem.top - box) / 2,
               d.rcItem.left + 2 + box, 0};
  boxRect.bottom = boxRect.top + box;
  DrawFrameControl(d.hDC, &boxRect, DFC_BUTTON,
                   DFCS_BUTTONCHECK | DFCS_FLAT | (item.checked ? DFCS_CHECKED : 0));
  RECT textRect = d.rcItem;
  textRect.left = boxRect.right + 4;
  SetBkMode(d.hDC, TRANSPARENT);
  SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ oldFont = SelectObject(d.hDC, font_);
  DrawTextW(d.hDC, Wide(item.text).c_str(), -1, &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(d.hDC, oldFont);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

void Win32Ui::OnCommand(FormWindow& fw, int id, int code, HWND from) {
  if (!from) {  // a menu item or an accelerator
    auto it = fw.menuItems.find(static_cast<UINT>(id));
    if (it != fw.menuItems.end() && it->second->enabled && it->second->onClick) {
      it->second->onClick();
    }
    return;
  }
  auto it = fw.byId.find(id);
  if (it == fw.byId.end() || applying_) return;
  ui::Control& c = *it->second;
  switch (c.kind()) {
    case ui::ControlKind::CheckBox:
      if (code == BN_CLICKED) {
        c.SyncChecked(SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        c.Click();
      }
      break;
    case ui::ControlKind::Button:
    case ui::ControlKind::PictureButton:
      if (code == BN_CLICKED) c.Click();
      break;
    case ui::ControlKind::Label:
    case ui::ControlKind::Picture:
      if (code == STN_CLICKED) c.Click();
      break;
    case ui::ControlKind::TextBox:
      if (code == EN_CHANGE) {
        std::wstring text(GetWindowTextLengthW(from) + 1, L'\0');
        GetWindowTextW(from, text.data(), int(text.size()));
        text.resize(wcslen(text.c_str()));
        c.SyncText(Utf8(text));
      }
      break;
    case ui::ControlKind::ListBox:
    case ui::ControlKind::CheckList:
      if (code == LBN_SELCHANGE) {
        c.SyncSelectedIndex(int(SendMessageW(from, LB_GETCURSEL, 0, 0)));
        c.Click();
      }
      if (code == LBN_DBLCLK && c.onDoubleClick) c.onDoubleClick();
      break;
    case ui::ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) c.SyncSelectedIndex(int(SendMessageW(from, CB_GETCURSEL, 0, 0)));
      break;
    case ui::ControlKind::Frame: break;
  }
}

bool Win32Ui::HandleControlMessage(FormWindow& fw, ui::Control& c, HWND hwnd, UINT msg, WPARAM wp,
                                   LPARAM lp, LRESULT* result) {
  const auto info = [&](ui::MouseButton b) {
    return ui::MouseInfo{b, Unscale(GET_X_LPARAM(lp)), Unscale(GET_Y_LPARAM(lp))};
  };
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (c.onMouseMove) {
        const ui::MouseButton b = (wp & MK_LBUTTON)   ? ui::MouseButton::Left
                                  : (wp & MK_RBUTTON) ? ui::MouseButton::Right
                                                      : ui::MouseButton::None;
        c.onMouseMove(info(b));
      }
      return false;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      const auto b = msg == WM_LBUTTONDOWN ? ui::MouseButton::Left : ui::MouseButton::Right;
      if (c.kind() == ui::ControlKind::CheckList && msg == WM_LBUTTONDOWN &&
          GET_X_LPARAM(lp) < Scale(kCheckBoxSize + 4)) {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
        if (HIWORD(hit) == 0) {
          *result = DefSubclassProc(hwnd, msg, wp, lp);
          ToggleCheckListItem(c, LOWORD(hit));
          if (c.onMouseDown) c.onMouseDown(info(b));
          return true;
        }
      }
      if (c.onMouseDown) c.onMouseDown(info(b));
      return false;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (c.onMouseUp) {
        c.onMouseUp(info(msg == WM_LBUTTONUP ? ui::MouseButton::Left : ui::MouseButton::Right));
      }
      return false;
    case WM_KEYDOWN:
      if (c.kind() == ui::ControlKind::CheckList && wp == VK_SPACE) {
        ToggleCheckListItem(c, int(SendMessageW(hwnd, LB_GETCURSEL, 0, 0)));
        *result = 0;
        return true;
      }
      return false;
  }
  return false;
}

LRESULT CALLBACK Win32Ui::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) {
  auto* self = reinterpret_cast<Win32Ui*>(data);
  HWND parent = GetParent(hwnd);
  auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(parent, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ControlProc, 1);
  if (fw) {
    if (ui::Control* c = fw->ControlOf(hwnd)) {
      LRESULT result = 0;
      if (self->HandleControlMessage(*fw, *c, hwnd, msg, wp, lp, &result)) return result;
    }
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace win32
