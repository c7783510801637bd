#include "platform/win32/win32_ui.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/file_dialog.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_form_window.h"

namespace win32 {
namespace {

constexpr wchar_t kFormClass[] = L"OrvantaForm";

}  // namespace

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
  if (!form.region().empty()) ApplyRegion(ref);
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
  DestroyWindow(fw->hwnd);  // destroys the menu bar set on the window with it
  fw->menu = nullptr;
  if (forms_.empty()) PostQuitMessage(exitCode_);  // the last window closed: the program ends
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
    if (got == 0) return exitCode_ != 0 ? exitCode_ : int(msg.wParam);
    if (got < 0) return 1;
    if (!TranslateForActiveWindow(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return exitCode_;
}

void Win32Ui::ProcessPendingEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that waits for it
      return;
    }
    if (!TranslateForActiveWindow(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Win32Ui::RegionChanged(ui::Form& form) {
  if (FormWindow* fw = Find(form)) ApplyRegion(*fw);
}

void Win32Ui::ApplyRegion(FormWindow& fw) {
  // SetWindowRgn takes window coordinates: the client rectangles move by the
  // frame (and menu bar) in front of the client area.
  RECT window{};
  GetWindowRect(fw.hwnd, &window);
  POINT client{0, 0};
  ClientToScreen(fw.hwnd, &client);
  const int dx = client.x - window.left, dy = client.y - window.top;
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (const ui::Rect& r : fw.form->region()) {
    if (r.width <= 0 || r.height <= 0) continue;
    HRGN part = CreateRectRgn(dx + Scale(r.x), dy + Scale(r.y), dx + Scale(r.x + r.width),
                              dy + Scale(r.y + r.height));
    CombineRgn(shape, shape, part, RGN_OR);
    DeleteObject(part);
  }
  RECT box{};
  if (GetRgnBox(shape, &box) == NULLREGION) {  // no area at all: the whole window, not none
    DeleteObject(shape);
    shape = nullptr;
  }
  // The system owns a region it accepted.
  if (!SetWindowRgn(fw.hwnd, shape, TRUE) && shape) DeleteObject(shape);
}

void Win32Ui::SetShutdownReason(ui::Form& form, const std::string& reason) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  const HWND hwnd = fw->hwnd;
  if (reason.empty()) {
    ShutdownBlockReasonDestroy(hwnd);
  } else {
    ShutdownBlockReasonCreate(hwnd, Wide(reason).c_str());
  }
}

void Win32Ui::BeginDrag(ui::Form& form) {
  FormWindow* fw = Find(form);
  // Only while the primary button is down: the system's move loop follows
  // that button and would otherwise wait for a press that is not coming.
  const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  if (!fw || !(GetKeyState(primary) & 0x8000)) return;
  dragged_ = true;
  POINT at{};
  GetCursorPos(&at);
  ReleaseCapture();
  SendMessageW(fw->hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
}

void Win32Ui::FocusControl(ui::Form& form, ui::Control& control, bool selectAll) {
  FormWindow* fw = Find(form);
  if (!fw) return;
  auto it = fw->controls.find(&control);
  if (it == fw->controls.end()) return;
  SetFocus(it->second);
  if (selectAll && control.kind() == ui::ControlKind::TextBox) {
    SendMessageW(it->second, EM_SETSEL, 0, -1);
  }
}

int Win32Ui::ItemFromPoint(const ui::Form& form, const ui::Control& list, int x, int y) const {
  FormWindow* fw = Find(form);
  if (!fw) return -2;
  auto it = fw->controls.find(const_cast<ui::Control*>(&list));
  if (it == fw->controls.end()) return -2;
  const int count = static_cast<int>(SendMessageW(it->second, LB_GETCOUNT, 0, 0));
  const int px = Scale(x), py = Scale(y);
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (SendMessageW(it->second, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) == LB_ERR) continue;
    // All four bounds count: a point on the border of two lines is the upper one's.
    if (px >= r.left && px <= r.right && py >= r.top && py <= r.bottom) return i;
  }
  return -2;
}

int Win32Ui::CaretPosition(const ui::Form& form, const ui::Control& textBox) const {
  HWND edit = nullptr;
  if (FormWindow* fw = Find(form)) {
    auto it = fw->controls.find(const_cast<ui::Control*>(&textBox));
    if (it != fw->controls.end()) edit = it->second;
  }
  if (!edit) return static_cast<int>(text::CharCount(textBox.text()));  // as if at the end
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // EM_GETSEL counts UTF-16 units; a character outside the BMP takes two.
  std::wstring shown(GetWindowTextLengthW(edit) + 1, L'\0');
  shown.resize(std::max(GetWindowTextW(edit, shown.data(), int(shown.size())), 0));
  int characters = 0;
  for (size_t i = 0; i < shown.size() && i < start; ++i) {
    if (!IS_LOW_SURROGATE(shown[i])) ++characters;
  }
  return characters;
}

bool Win32Ui::MouseDown(ui::Control* c, ui::Form& form, UINT msg, LPARAM lp, HWND hwnd) {
  const auto& handler = c ? c->onMouseDown : form.onMouseDown;
  if (!handler) return false;
  const ui::MouseButton button = msg == WM_RBUTTONDOWN   ? ui::MouseButton::Right
                                 : msg == WM_MBUTTONDOWN ? ui::MouseButton::Middle
                                                         : ui::MouseButton::Left;
  dragged_ = false;
  handler(ui::MouseInfo{button, Unscale(GET_X_LPARAM(lp)), Unscale(GET_Y_LPARAM(lp))});
  // A press that moved the window has been used up; so has one whose window closed.
  return dragged_ || !IsWindow(hwnd);
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
    case WM_CLOSE:  // the title-bar button, Alt+F4 or another program
      fw.form->Close(ui::CloseReason::User);  // may be refused; destroys the window otherwise
      return 0;
    case WM_QUERYENDSESSION:  // log-off or shut-down: FALSE refuses it
      return !fw.form->onQueryClose || fw.form->onQueryClose(ui::CloseReason::SessionEnd);
    case WM_ENDSESSION:
      if (wp && fw.form->onSessionEnd) fw.form->onSessionEnd();
      if (wp) fw.form->Close(ui::CloseReason::SessionEnd);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(nullptr, *fw.form, msg, lp, fw.hwnd);
      return 0;
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      m->itemHeight = Scale(kCheckBoxSize + 4);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      auto it = fw.byId.find(int(d.CtlID));
      if (it == fw.byId.end()) break;
      if (it->second->kind() == ui::ControlKind::PictureButton) {
        DrawPictureButton(fw, *it->second, d);
      } else {
        DrawCheckListItem(fw, *it->second, d);
      }
      return TRUE;
    }
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

LRESULT CALLBACK Win32Ui::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!fw) return DefWindowProcW(hwnd, msg, wp, lp);
  return fw->ui->HandleFormMessage(*fw, msg, wp, lp);
}

std::optional<std::string> Win32Ui::FileDialog(ui::Form* owner,
                                               const ui::FileDialogRequest& request) {
  return ShowWin32FileDialog(OwnerWindow(owner), request);
}

}  // namespace win32
