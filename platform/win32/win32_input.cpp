// Input into other programs' windows: the foreground, injected mouse input
// over every monitor, and the same gestures as window messages for a desktop
// that takes no injected input.
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

// How long a window's thread may take to answer before it counts as busy.
constexpr UINT kResponseTimeoutMs = 250;

HWND Root(HWND window) { return GetAncestor(window, GA_ROOT); }

bool IsForeground(HWND root) { return GetForegroundWindow() == root; }

// The activation of another thread's window may take a moment to arrive
// (Wine hands it to that thread as a message): true once it has.
bool BecomesForeground(HWND root) {
  constexpr int kPolls = 10, kPollMs = 5;
  for (int i = 0; i < kPolls; ++i) {
    if (IsForeground(root)) return true;
    Sleep(kPollMs);
  }
  return IsForeground(root);
}

// Windows lets the thread that got the last input hand the foreground on;
// joined to that thread's input for a moment, so do we.
bool ForegroundThroughAttachedInput(HWND root) {
  const HWND current = GetForegroundWindow();
  const DWORD ours = GetCurrentThreadId();
  const DWORD theirs = current ? GetWindowThreadProcessId(current, nullptr) : 0;
  const bool attached = theirs != 0 && theirs != ours && AttachThreadInput(ours, theirs, TRUE);
  BringWindowToTop(root);
  SetForegroundWindow(root);
  if (attached) AttachThreadInput(ours, theirs, FALSE);
  return BecomesForeground(root);
}

bool InjectKey(WORD key, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// While Alt is held the system lets the foreground change hands, as it does
// for Alt+Tab. Alt pressed and released alone would put the new foreground
// window into menu mode, which takes the next click: a key no keyboard has
// goes between.
bool ForegroundWithAltHeld(HWND root) {
  constexpr WORD kUnassignedKey = 0xE8;
  if (!InjectKey(VK_MENU, 0)) return false;
  SetForegroundWindow(root);
  InjectKey(kUnassignedKey, 0);
  InjectKey(kUnassignedKey, KEYEVENTF_KEYUP);
  InjectKey(VK_MENU, KEYEVENTF_KEYUP);
  return BecomesForeground(root);
}

UINT MessageOf(platform::MouseMessage message, int button) {
  using platform::MouseMessage;
  if (message == MouseMessage::Move) return WM_MOUSEMOVE;
  const bool down = message == MouseMessage::Down;
  switch (button) {
    case 2: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case 4: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  }
}

WPARAM KeyStateOf(platform::MouseMessage message, int button) {
  if (message == platform::MouseMessage::Up) return 0;
  switch (button) {
    case 2: return MK_RBUTTON;
    case 4: return MK_MBUTTON;
    default: return MK_LBUTTON;
  }
}

}  // namespace

platform::WindowHandle Win32Desktop::RootWindow(platform::WindowHandle window) const {
  return FromHwnd(Root(ToHwnd(window)));
}

bool Win32Desktop::IsVisible(platform::WindowHandle window) const {
  return IsWindowVisible(ToHwnd(window)) != 0;
}

bool Win32Desktop::IsEnabled(platform::WindowHandle window) const {
  return IsWindowEnabled(ToHwnd(window)) != 0;
}

bool Win32Desktop::IsResponding(platform::WindowHandle window) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kResponseTimeoutMs,
                             &result) != 0;
}

platform::ScreenArea Win32Desktop::VirtualScreen() const {
  return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
          GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool Win32Desktop::ButtonsSwapped() const { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }

bool Win32Desktop::InjectMouse(uint32_t flags, int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = x;
  input.mi.dy = y;
  input.mi.dwFlags = flags;
  return SendInput(1, &input, sizeof(INPUT)) == 1;
}

platform::ButtonKind Win32Desktop::ButtonKindOf(platform::WindowHandle window) const {
  DWORD_PTR code = 0;
  if (!SendMessageTimeoutW(ToHwnd(window), WM_GETDLGCODE, 0, 0, SMTO_ABORTIFHUNG,
                           kResponseTimeoutMs, &code) ||
      !(code & DLGC_BUTTON)) {
    return platform::ButtonKind::None;
  }
  if (code & DLGC_RADIOBUTTON) return platform::ButtonKind::Radio;
  if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) return platform::ButtonKind::Push;
  switch (GetWindowLongW(ToHwnd(window), GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return platform::ButtonKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return platform::ButtonKind::Check;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return platform::ButtonKind::Radio;
    default: return platform::ButtonKind::None;  // group boxes, owner-drawn buttons
  }
}

// Posted, not sent: a setup that runs its next page inside the click must
// not hold us up.
bool Win32Desktop::PostButtonClick(platform::WindowHandle window) {
  return PostMessageW(ToHwnd(window), BM_CLICK, 0, 0) != 0;
}

bool Win32Desktop::PostButtonCommand(platform::WindowHandle window) {
  const HWND button = ToHwnd(window);
  const HWND parent = GetParent(button);
  if (!parent) return false;
  const WPARAM notice = MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED);
  return PostMessageW(parent, WM_COMMAND, notice, reinterpret_cast<LPARAM>(button)) != 0;
}

bool Win32Desktop::PostButtonCheck(platform::WindowHandle window, int check) {
  return PostMessageW(ToHwnd(window), BM_SETCHECK, static_cast<WPARAM>(check), 0) != 0;
}

platform::WindowHandle Win32Desktop::FocusOf(platform::WindowHandle window) const {
  const DWORD thread = GetWindowThreadProcessId(ToHwnd(window), nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (thread == 0 || !GetGUIThreadInfo(thread, &info)) return 0;
  return reinterpret_cast<platform::WindowHandle>(info.hwndFocus);
}

// By the system class the window's class was made from: a class library's
// list under a name of its own still answers as the list it is.
std::optional<long long> Win32Desktop::SelectionOf(platform::WindowHandle window) const {
  const HWND hwnd = ToHwnd(window);
  wchar_t base[64] = {};
  if (RealGetWindowClassW(hwnd, base, 64) == 0) return std::nullopt;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  if (_wcsicmp(base, L"ListBox") == 0) {
    message = LB_GETCURSEL;
  } else if (_wcsicmp(base, L"ComboBox") == 0) {
    message = CB_GETCURSEL;
  } else if (_wcsicmp(base, WC_LISTVIEWW) == 0) {
    message = LVM_GETNEXTITEM;
    wParam = static_cast<WPARAM>(-1);
    lParam = LVNI_SELECTED;
  } else if (_wcsicmp(base, WC_TREEVIEWW) == 0) {
    message = TVM_GETNEXTITEM;
    wParam = TVGN_CARET;
  } else {
    return std::nullopt;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kResponseTimeoutMs,
                           &result)) {
    return std::nullopt;
  }
  return static_cast<long long>(static_cast<LONG_PTR>(result));
}

int Win32Desktop::CheckState(platform::WindowHandle window) const {
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutW(ToHwnd(window), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG,
                           kResponseTimeoutMs, &state)) {
    return -1;
  }
  return static_cast<int>(state);
}

bool Win32Desktop::PostMouse(platform::WindowHandle window, platform::MouseMessage message,
                             int button, platform::Point client) {
  const LPARAM at = MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
  return PostMessageW(ToHwnd(window), MessageOf(message, button), KeyStateOf(message, button),
                      at) != 0;
}

bool Win32Desktop::WaitButtonPushed(platform::WindowHandle window, bool pushed,
                                    int waitMs) const {
  constexpr DWORD kPollMs = 2;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
  for (;;) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(ToHwnd(window), BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG,
                             kResponseTimeoutMs, &state)) {
      return false;  // gone or hung
    }
    if (((state & BST_PUSHED) != 0) == pushed) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

void Win32Desktop::SetForeground(platform::WindowHandle window) {
  SetForegroundWindow(ToHwnd(window));
}

bool Win32Desktop::ForceForeground(platform::WindowHandle window) {
  const HWND root = Root(ToHwnd(window));
  if (!root || !IsWindowVisible(root)) return false;
  if (IsIconic(root)) ShowWindow(root, SW_RESTORE);
  if (IsForeground(root)) return true;
  SetForegroundWindow(root);
  if (BecomesForeground(root)) return true;
  return ForegroundThroughAttachedInput(root) || ForegroundWithAltHeld(root);
}

platform::WindowHandle Win32Desktop::ForegroundWindow() const {
  return FromHwnd(GetForegroundWindow());
}

}  // namespace win32
