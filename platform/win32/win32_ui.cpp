#include "platform/win32/win32_ui.h"

#include <commctrl.h>
#include <shlobj.h>

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
    if (got == 0) return int(msg.wParam);
    if (got < 0) return 1;
    if (!TranslateForActiveWindow(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
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
