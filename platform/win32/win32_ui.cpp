#include "platform/win32/win32_ui.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include <vector>

#include "platform/win32/file_dialog.h"
#include "platform/win32/wide.h"

namespace win32 {
namespace {

constexpr wchar_t kFormClass[] = L"OrvantaForm";
constexpr int kFirstControlId = 100;
constexpr UINT kFirstMenuId = 2000;
constexpr int kCheckBoxSize = 13;

struct Brush {
  HBRUSH h = nullptr;
  COLORREF color = 0;
  ~Brush() {
    if (h) DeleteObject(h);
  }
};

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
  std::map<ui::Control*, HBITMAP> bitmaps;
  std::map<ui::Control*, std::unique_ptr<Brush>> brushes;
  std::map<UINT, ui::MenuItem*> menuItems;
  std::map<UINT_PTR, ui::Timer*> timers;
  bool modal = false;

  ~FormWindow() {
    for (auto& [c, f] : fonts) DeleteObject(f);
    for (auto& [c, b] : bitmaps) DeleteObject(b);
    if (accelerators) DestroyAcceleratorTable(accelerators);
  }
  ui::Control* ControlOf(HWND h) const {
    for (auto& [c, w] : controls) {
      if (w == h) return c;
    }
    return nullptr;
  }
};

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = 96;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  font_ = CreateFontIndirectW(&metrics.lfMessageFont);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
}

Win32Ui::~Win32Ui() {
  if (font_) DeleteObject(font_);
}

Win32Ui::FormWindow* Win32Ui::Find(const ui::Form& form) const {
  auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.get();
}

HWND Win32Ui::OwnerWindow(ui::Form* owner) const {
  if (owner) {
    if (FormWindow* fw = Find(*owner)) return fw->hwnd;
  }
  return nullptr;
}

ui::WindowHandle Win32Ui::HandleOf(const ui::Form& form) const {
  FormWindow* fw = Find(form);
  return fw ? reinterpret_cast<ui::WindowHandle>(fw->hwnd) : 0;
}

int Win32Ui::MessageBox(ui::Form* owner, const std::string& text, const std::string& caption,
                        unsigned flags) {
  HWND hwnd = OwnerWindow(owner);
  if (!hwnd) hwnd = GetActiveWindow();
  return MessageBoxW(hwnd, Wide(text).c_str(), Wide(caption).c_str(),
                     flags | (hwnd ? 0 : MB_TASKMODAL) | MB_SETFOREGROUND);
}

void Win32Ui::CreateWindowFor(ui::Form& form) {
  auto fw = std::make_unique<FormWindow>();
  fw->ui = this;
  fw->form = &form;
  const DWORD style = form.toolWindow ? WS_POPUP | WS_BORDER
                                      : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                                            (form.minimizeBox ? WS_MINIMIZEBOX : 0) |
                                            (form.fixedBorder ? 0 : WS_THICKFRAME | WS_MAXIMIZEBOX);
  const DWORD exStyle = form.toolWindow ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
  HWND hwnd = CreateWindowExW(exStyle, kFormClass, Wide(form.caption()).c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance_,
                              nullptr);
  if (!hwnd) return;
  fw->hwnd = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fw.get()));
  fw->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                instance_, nullptr);
  FormWindow& ref = *fw;
  forms_[&form] = std::move(fw);
  form.SetState(ui::FormState::Hidden);
  // Frames first, so that controls inside them are drawn above them.
  for (ui::Control* c : form.controls()) {
    if (c->kind() == ui::ControlKind::Frame) CreateControl(ref, *c);
  }
  for (ui::Control* c : form.controls()) {
    if (c->kind() != ui::ControlKind::Frame) CreateControl(ref, *c);
  }
  BuildMenu(ref);
  FormChanged(form);
  for (ui::Timer* t : form.timers()) TimerChanged(form, *t);
}

void Win32Ui::DestroyWindowOf(ui::Form& form) {
  auto it = forms_.find(&form);
  if (it == forms_.end()) {
    form.SetState(ui::FormState::Closed);
    return;
  }
  std::unique_ptr<FormWindow> fw = std::move(it->second);
  forms_.erase(it);
  form.SetState(ui::FormState::Closed);
  SetWindowLongPtrW(fw->hwnd, GWLP_USERDATA, 0);
  for (auto& [id, timer] : fw->timers) KillTimer(fw->hwnd, id);
  DestroyWindow(fw->hwnd);
  if (fw->menu) DestroyMenu(fw->menu);
  if (forms_.empty()) PostQuitMessage(0);  // the last window closed: the program ends
}

void Win32Ui::ShowWindowOf(ui::Form& form, bool visible) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  form.SetState(visible ? ui::FormState::Shown : ui::FormState::Hidden);
  ShowWindow(fw->hwnd, visible ? SW_SHOW : SW_HIDE);
  if (visible) {
    UpdateWindow(fw->hwnd);
    SetForegroundWindow(fw->hwnd);
  }
}

void Win32Ui::PumpUntilClosed(const ui::Form& form) {
  MSG msg;
  while (Find(form)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(got == 0 ? int(msg.wParam) : 1);  // leave the quit to the outer loop
      return;
    }
    if (!TranslateForActiveWindow(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Win32Ui::RunModal(ui::Form& form, ui::Form* owner) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  fw->modal = true;
  HWND ownerHwnd = OwnerWindow(owner);
  if (ownerHwnd) {
    SetWindowLongPtrW(fw->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerHwnd));
    EnableWindow(ownerHwnd, FALSE);
  }
  ShowWindowOf(form, true);
  PumpUntilClosed(form);
  if (ownerHwnd && IsWindow(ownerHwnd)) {
    EnableWindow(ownerHwnd, TRUE);
    SetForegroundWindow(ownerHwnd);
  }
}

void Win32Ui::FormChanged(ui::Form& form) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  SetWindowTextW(fw->hwnd, Wide(form.caption()).c_str());
  const ui::Rect& b = form.bounds();
  RECT r{0, 0, Scale(b.width), Scale(b.height)};
  AdjustWindowRectEx(&r, GetWindowLongW(fw->hwnd, GWL_STYLE), fw->menu != nullptr,
                     GetWindowLongW(fw->hwnd, GWL_EXSTYLE));
  const int w = r.right - r.left, h = r.bottom - r.top;
  int x = Scale(b.x), y = Scale(b.y);
  if (b.x < 0 || b.y < 0) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + (work.right - work.left - w) / 2;
    y = work.top + (work.bottom - work.top - h) / 2;
  }
  SetWindowPos(fw->hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

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

void Win32Ui::TimerChanged(ui::Form& form, ui::Timer& timer) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(&timer);
  if (timer.enabled()) {
    fw->timers[id] = &timer;
    SetTimer(fw->hwnd, id, timer.interval() > 0 ? timer.interval() : 1, nullptr);
  } else {
    fw->timers.erase(id);
    KillTimer(fw->hwnd, id);
  }
}

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

std::optional<std::string> Win32Ui::BrowseForFolder(ui::Form* owner, const std::string& title) {
  std::wstring wideTitle = Wide(title);
  BROWSEINFOW bi{};
  bi.hwndOwner = OwnerWindow(owner);
  bi.lpszTitle = wideTitle.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  std::optional<std::string> result;
  wchar_t path[MAX_PATH] = {};
  if (list && SHGetPathFromIDListW(list, path)) result = Utf8(path);
  CoTaskMemFree(list);
  return result;
}

bool Win32Ui::TranslateForActiveWindow(MSG& msg) {
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  for (auto& [form, fw] : forms_) {
    if (fw->hwnd != top) continue;
    if (fw->accelerators && TranslateAcceleratorW(fw->hwnd, fw->accelerators, &msg)) return true;
    return IsDialogMessageW(fw->hwnd, &msg) != 0;
  }
  return false;
}

int Win32Ui::Run() {
  MSG msg;
  while (!forms_.empty()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return int(msg.wParam);
    if (got < 0) return 1;
    if (!TranslateForActiveWindow(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
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

LRESULT Win32Ui::HandleFormMessage(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(fw, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_TIMER: {
      auto it = fw.timers.find(wp);
      if (it != fw.timers.end()) it->second->Tick();
      return 0;
    }
    case WM_CLOSE:
      fw.form->Close();  // may be refused; destroys the window otherwise
      return 0;
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      m->itemHeight = Scale(kCheckBoxSize + 4);
      return TRUE;
    }
    case WM_DRAWITEM:
      DrawCheckListItem(fw, *reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      ui::Control* c = fw.ControlOf(reinterpret_cast<HWND>(lp));
      if (!c || (c->foreColor() == ui::kDefaultColor && c->backColor() == ui::kDefaultColor)) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      if (c->foreColor() != ui::kDefaultColor) SetTextColor(dc, c->foreColor());
      if (c->backColor() == ui::kDefaultColor) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      auto& brush = fw.brushes[c];
      if (!brush || brush->color != c->backColor()) {
        brush = std::make_unique<Brush>();
        brush->color = c->backColor();
        brush->h = CreateSolidBrush(brush->color);
      }
      SetBkColor(dc, brush->color);
      return reinterpret_cast<LRESULT>(brush->h);
    }
  }
  return DefWindowProcW(fw.hwnd, msg, wp, lp);
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

LRESULT CALLBACK Win32Ui::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!fw) return DefWindowProcW(hwnd, msg, wp, lp);
  return fw->ui->HandleFormMessage(*fw, msg, wp, lp);
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

std::optional<std::string> Win32Ui::FileDialog(ui::Form* owner,
                                               const ui::FileDialogRequest& request) {
  return ShowWin32FileDialog(OwnerWindow(owner), request);
}

}  // namespace win32
