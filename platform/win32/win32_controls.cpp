// The toolkit's controls as Win32 child windows: creating them, applying
// their state, drawing check-list lines, and turning notifications and mouse
// messages back into the controls' events.
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "platform/win32/win32_drawing.h"
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
  const DWORD common = WS_CHILD | (c.visible() ? WS_VISIBLE : 0) | (c.enabled() ? 0 : WS_DISABLED) |
                       (c.horizontalScroll() ? WS_HSCROLL : 0);
  switch (c.kind()) {
    case ui::ControlKind::Label: return common | SS_LEFT | SS_NOTIFY;
    case ui::ControlKind::Picture: return common | SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY;
    case ui::ControlKind::Button:
      return common | WS_TABSTOP | (c.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case ui::ControlKind::CheckBox: return common | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ui::ControlKind::TextBox:
      return common | WS_TABSTOP | WS_BORDER |
             (c.multiLine() ? ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | ES_AUTOVSCROLL
                            : ES_AUTOHSCROLL) |
             (c.horizontalScroll() ? ES_AUTOHSCROLL : 0);
    case ui::ControlKind::ListBox:
      return common | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    case ui::ControlKind::CheckList:
      return common | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
             LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    case ui::ControlKind::ComboBox: return common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case ui::ControlKind::Frame: return common | BS_GROUPBOX;
    case ui::ControlKind::PictureButton: return common | BS_OWNERDRAW;  // the picture is the button
  }
  return common;
}

bool IsPictureKind(ui::ControlKind kind) {
  return kind == ui::ControlKind::Picture || kind == ui::ControlKind::PictureButton;
}

// Puts a loaded picture into a static or push-button control, switching the
// control to the image kind that the picture is (none: back to text).
void ShowInControl(HWND hwnd, ui::ControlKind kind, const LoadedPicture& picture) {
  const bool isStatic = kind == ui::ControlKind::Picture;
  const LONG_PTR typeBits = isStatic ? SS_TYPEMASK : BS_BITMAP | BS_ICON;
  LONG_PTR type = 0;
  if (picture.icon) type = isStatic ? SS_ICON : BS_ICON;
  if (picture.bitmap || (isStatic && !picture.icon)) type = isStatic ? SS_BITMAP : BS_BITMAP;
  SetWindowLongPtrW(hwnd, GWL_STYLE, (GetWindowLongPtrW(hwnd, GWL_STYLE) & ~typeBits) | type);
  const UINT message = isStatic ? STM_SETIMAGE : BM_SETIMAGE;
  if (picture.icon) {
    SendMessageW(hwnd, message, IMAGE_ICON, reinterpret_cast<LPARAM>(picture.icon));
  } else {
    SendMessageW(hwnd, message, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.bitmap));
  }
}

// A list box scrolls sideways only as far as it is told: as far as its
// widest line reaches, in the list's own font.
void SetHorizontalExtent(HWND list, const ui::Control& c) {
  HDC dc = GetDC(list);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const ui::ListItem& item : c.items()) {
    const std::wstring line = Wide(item.text);
    SIZE size{};
    if (GetTextExtentPoint32W(dc, line.c_str(), int(line.size()), &size)) widest = std::max(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  constexpr LONG kTextMargins = 8;
  SendMessageW(list, LB_SETHORIZONTALEXTENT, widest > 0 ? widest + kTextMargins : 0, 0);
}

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
  if (c.horizontalScroll() && c.kind() == ui::ControlKind::ListBox) SetHorizontalExtent(hwnd, c);
  ApplyPicture(fw, c, hwnd);
  ApplyTooltip(fw, c, hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  // A drawing changes inside long loops that run no messages: paint it now,
  // and whatever else of the program's windows waits for paint (a status
  // line that counts the same loop).
  if (dynamic_cast<ui::DrawnPicture*>(&c)) {
    for (auto& [form, window] : forms_) {
      RedrawWindow(window->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
  }
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

// A picture's resource id names a bitmap (the control-bar buttons, the move
// arrows) or an icon (the program's own); each is loaded once per change.
void Win32Ui::ApplyPicture(FormWindow& fw, ui::Control& c, HWND hwnd) {
  if (!IsPictureKind(c.kind()) && c.kind() != ui::ControlKind::Button) return;
  std::unique_ptr<LoadedPicture>& shown = fw.pictures[&c];
  if (!shown && c.picture() == 0) return;  // never had one
  if (shown && shown->id == c.picture()) return;
  auto loaded = std::make_unique<LoadedPicture>();
  loaded->id = c.picture();
  if (c.picture() != 0) {
    // Greys of the bitmaps become the system's 3-D colours, so a picture sits
    // on any button face.
    loaded->bitmap = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(c.picture()),
                                                     IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (!loaded->bitmap) {
      const RECT r = ScaledRect(c);
      const int side = std::min(r.right - r.left, r.bottom - r.top);  // 0: the system's size
      loaded->icon = static_cast<HICON>(
          LoadImageW(instance_, MAKEINTRESOURCEW(c.picture()), IMAGE_ICON, side, side, 0));
    }
  }
  // The owner-drawn picture button draws from fw.pictures; the others hold the image.
  if (c.kind() != ui::ControlKind::PictureButton) ShowInControl(hwnd, c.kind(), *loaded);
  shown = std::move(loaded);  // after the control has let go of the old image
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Win32Ui::DrawPictureButton(FormWindow& fw, ui::Control& c, const DRAWITEMSTRUCT& d) {
  RECT r = d.rcItem;
  const bool pressed = (d.itemState & ODS_SELECTED) != 0;
  const bool disabled = (d.itemState & ODS_DISABLED) != 0;
  auto it = fw.pictures.find(&c);
  const LoadedPicture* picture = it == fw.pictures.end() ? nullptr : it->second.get();
  if (picture && !picture->bitmap && !picture->icon) picture = nullptr;
  // A picture is drawn at its size, scaled like the controls (an icon fills
  // the button). One as large as the button is the button itself (the
  // control bar's have edges of their own); a smaller one, or the text when
  // there is no picture, sits on a push button.
  SIZE size{r.right - r.left, r.bottom - r.top};
  BITMAP info{};
  if (picture && picture->bitmap && GetObjectW(picture->bitmap, sizeof(info), &info)) {
    size = {Scale(info.bmWidth), Scale(info.bmHeight)};
  }
  const bool bare = picture && size.cx >= r.right - r.left - 2 && size.cy >= r.bottom - r.top - 2;
  if (bare) {
    FillRect(d.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    const UINT state = (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0);
    DrawFrameControl(d.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | state);
  }
  RECT content = r;
  if (pressed) OffsetRect(&content, 1, 1);  // pushed one pixel down and right
  const int x = content.left + (r.right - r.left - size.cx) / 2;
  const int y = content.top + (r.bottom - r.top - size.cy) / 2;
  if (!picture) {
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(d.hDC, font_);
    DrawTextW(d.hDC, Wide(c.text()).c_str(), -1, &content, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SelectObject(d.hDC, oldFont);
  } else if (picture->icon) {
    DrawIconEx(d.hDC, x, y, picture->icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
  } else if (disabled) {
    DrawStateW(d.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(picture->bitmap), 0, x, y, 0, 0,
               DST_BITMAP | DSS_DISABLED);
  } else {
    HDC memory = CreateCompatibleDC(d.hDC);
    HGDIOBJ old = SelectObject(memory, picture->bitmap);
    SetStretchBltMode(d.hDC, COLORONCOLOR);
    StretchBlt(d.hDC, x, y, size.cx, size.cy, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  if (!bare && (d.itemState & ODS_FOCUS)) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(d.hDC, &r);
  }
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

void Win32Ui::DrawCheckListItem(FormWindow&, ui::Control& c, const DRAWITEMSTRUCT& d) {
  if (int(d.itemID) < 0 || int(d.itemID) >= int(c.items().size())) return;
  const ui::ListItem& item = c.items()[d.itemID];
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
  if (!from && id == IDCANCEL) {  // Escape, as the dialog manager reports it
    for (ui::Control* c : fw.form->controls()) {
      if (c->isCancel() && c->visible()) return c->Click();
    }
    return;
  }
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
  if ((msg == WM_PAINT || msg == WM_ERASEBKGND) && c.kind() == ui::ControlKind::Picture) {
    if (const auto* drawn = dynamic_cast<const ui::DrawnPicture*>(&c)) {
      if (msg == WM_PAINT) PaintDrawnPicture(*drawn, hwnd, dpi_);
      *result = msg == WM_ERASEBKGND;  // the background is part of the painting
      return true;
    }
  }
  // Pictures and labels have no double click: each press of a quick pair
  // presses again (and may start a drag again).
  if (msg == WM_LBUTTONDBLCLK && (IsPictureKind(c.kind()) || c.kind() == ui::ControlKind::Label)) {
    msg = WM_LBUTTONDOWN;
    if (!MouseDown(&c, *fw.form, msg, lp, hwnd)) *result = DefSubclassProc(hwnd, msg, wp, lp);
    return true;
  }
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (c.onMouseMove) {
        const ui::MouseButton b = (wp & MK_LBUTTON)   ? ui::MouseButton::Left
                                  : (wp & MK_RBUTTON) ? ui::MouseButton::Right
                                  : (wp & MK_MBUTTON) ? ui::MouseButton::Middle
                                                      : ui::MouseButton::None;
        c.onMouseMove(info(b));
      }
      return false;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      if (c.kind() == ui::ControlKind::CheckList && msg == WM_LBUTTONDOWN &&
          GET_X_LPARAM(lp) < Scale(kCheckBoxSize + 4)) {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
        if (HIWORD(hit) == 0) {
          *result = DefSubclassProc(hwnd, msg, wp, lp);
          ToggleCheckListItem(c, LOWORD(hit));
          MouseDown(&c, *fw.form, msg, lp, hwnd);
          return true;
        }
      }
      // A press used for a drag does not also click the control.
      if (MouseDown(&c, *fw.form, msg, lp, hwnd)) {
        *result = 0;
        return true;
      }
      return false;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (c.onMouseUp) {
        c.onMouseUp(info(msg == WM_LBUTTONUP   ? ui::MouseButton::Left
                         : msg == WM_RBUTTONUP ? ui::MouseButton::Right
                                               : ui::MouseButton::Middle));
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
