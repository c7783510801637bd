// What the program captures from the desktop: the user's mouse through a
// global low-level hook, the clipboard's text, and pictures of the screen.
#include "platform/win32/windows_api.h"

#include <cwchar>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

using HookCallback = std::function<void(const platform::HookEvent&)>;

// A low-level hook procedure gets no context of its own, so the installed
// callbacks live in this table, which belongs to the user-interface thread.
// Windows silently removes a low-level hook whose thread does not answer
// within LowLevelHooksTimeout (300 ms by default), and that thread's message
// loop is what answers. So the hook runs on a thread of its own that does
// nothing else and never waits for another: each event goes to the
// user-interface thread through a message-only window, in order, and what a
// press must know of its window as it was (its path, before the press
// changes the page) is taken by the snapshot on the hook thread.
struct HookTable {
  std::map<int, std::shared_ptr<HookCallback>> callbacks;
  int nextId = 1;
  HWND receiver = nullptr;  // message-only window of the user-interface thread
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HHOOK hook = nullptr;  // set and used on the hook thread

  std::mutex lock;
  std::deque<platform::HookEvent> queue;
  platform::PressSnapshot snapshot;  // of the latest hook that takes one
};

constexpr UINT kHookEventMessage = WM_APP + 1;

HookTable& Hooks() {
  static HookTable table;
  return table;
}

// The mouse messages a recording needs; wheel, X buttons and anything else
// are not translated.
std::optional<platform::HookEvent> Translate(WPARAM message, const MSLLHOOKSTRUCT& info) {
  using platform::HookAction;
  const platform::Point at{info.pt.x, info.pt.y};
  switch (message) {
    case WM_MOUSEMOVE: return platform::HookEvent{HookAction::Move, 0, at, 0, nullptr};
    case WM_LBUTTONDOWN: return platform::HookEvent{HookAction::Press, 1, at, 0, nullptr};
    case WM_RBUTTONDOWN: return platform::HookEvent{HookAction::Press, 2, at, 0, nullptr};
    case WM_MBUTTONDOWN: return platform::HookEvent{HookAction::Press, 4, at, 0, nullptr};
    case WM_LBUTTONUP: return platform::HookEvent{HookAction::Release, 1, at, 0, nullptr};
    case WM_RBUTTONUP: return platform::HookEvent{HookAction::Release, 2, at, 0, nullptr};
    case WM_MBUTTONUP: return platform::HookEvent{HookAction::Release, 4, at, 0, nullptr};
    default: return std::nullopt;
  }
}

void Dispatch(HookTable& table, const platform::HookEvent& event) {
  // A callback may remove its own hook or another one: work on a copy and
  // skip entries that are gone by their turn.
  std::vector<std::pair<int, std::shared_ptr<HookCallback>>> pending(table.callbacks.begin(),
                                                                     table.callbacks.end());
  for (auto& [id, callback] : pending) {
    if (!table.callbacks.count(id) || !*callback) continue;
    try {
      (*callback)(event);
    } catch (...) {
      // Nothing may unwind into the window procedure; the event is lost to
      // this callback only.
    }
  }
}

// On the user-interface thread: takes every queued event in order.
LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message != kHookEventMessage) return DefWindowProcW(window, message, wp, lp);
  HookTable& table = Hooks();
  for (;;) {
    platform::HookEvent next;
    {
      std::lock_guard<std::mutex> guard(table.lock);
      if (table.queue.empty()) break;
      next = std::move(table.queue.front());
      table.queue.pop_front();
    }
    Dispatch(table, next);
  }
  return 0;
}

// On the hook thread.
LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wp, LPARAM lp) {
  HookTable& table = Hooks();
  if (code == HC_ACTION && lp) {
    const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    if (auto event = Translate(wp, info)) {
      // The window under a press as it is before the press reaches it.
      if (event->action == platform::HookAction::Press) {
        event->window = FromHwnd(WindowFromPoint(info.pt));
        platform::PressSnapshot snapshot;
        {
          std::lock_guard<std::mutex> guard(table.lock);
          snapshot = table.snapshot;
        }
        if (snapshot) {
          try {
            event->snapshot = snapshot(*event);
          } catch (...) {
            // Nothing may unwind into the system; the press goes without.
          }
        }
      }
      {
        std::lock_guard<std::mutex> guard(table.lock);
        table.queue.push_back(std::move(*event));
      }
      PostMessageW(table.receiver, kHookEventMessage, 0, 0);
    }
  }
  return CallNextHookEx(table.hook, code, wp, lp);
}

DWORD WINAPI HookThread(void* started) {
  HookTable& table = Hooks();
  table.hook = SetWindowsHookExW(WH_MOUSE_LL, LowLevelMouseProc, GetModuleHandleW(nullptr), 0);
  const bool ok = table.hook != nullptr;
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before we report
  SetEvent(static_cast<HANDLE>(started));
  if (!ok) return 1;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  UnhookWindowsHookEx(table.hook);
  table.hook = nullptr;
  return 0;
}

HWND MakeReceiver() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ReceiverProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"OrvantaHookEvents";
  RegisterClassW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
}

bool StartHookThread(HookTable& table) {
  if (!table.receiver) table.receiver = MakeReceiver();
  if (!table.receiver) return false;
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!started) return false;
  table.thread = CreateThread(nullptr, 0, HookThread, started, 0, &table.threadId);
  if (table.thread) WaitForSingleObject(started, INFINITE);
  CloseHandle(started);
  if (table.thread && table.hook) return true;
  if (table.thread) {
    WaitForSingleObject(table.thread, INFINITE);
    CloseHandle(table.thread);
  }
  table.thread = nullptr;
  return false;
}

void StopHookThread(HookTable& table) {
  if (!table.thread) return;
  PostThreadMessageW(table.threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(table.thread, 2000);
  CloseHandle(table.thread);
  table.thread = nullptr;
  std::lock_guard<std::mutex> guard(table.lock);
  table.queue.clear();  // events of a recording that has ended
  table.snapshot = nullptr;
}

// One installed callback; destroying it removes the callback, and the
// hook thread with the last one.
class Win32MouseHook : public platform::MouseHook {
 public:
  explicit Win32MouseHook(int id) : id_(id) {}
  Win32MouseHook(const Win32MouseHook&) = delete;
  Win32MouseHook& operator=(const Win32MouseHook&) = delete;
  ~Win32MouseHook() override {
    HookTable& table = Hooks();
    table.callbacks.erase(id_);
    if (table.callbacks.empty()) StopHookThread(table);
  }

 private:
  int id_;
};

// A GDI object deleted when it goes out of scope.
struct GdiObject {
  HGDIOBJ h;
  ~GdiObject() {
    if (h) DeleteObject(h);
  }
};

}  // namespace

std::unique_ptr<platform::MouseHook> Win32Desktop::InstallMouseHook(
    HookCallback onEvent, platform::PressSnapshot snapshot) {
  HookTable& table = Hooks();
  if (snapshot) {
    std::lock_guard<std::mutex> guard(table.lock);
    table.snapshot = std::move(snapshot);
  }
  // Journal hooks never fire under Wine and are gone from recent Windows;
  // the low-level hook sees the same input, injected input included.
  if (!table.thread && !StartHookThread(table)) return nullptr;
  const int id = table.nextId++;
  table.callbacks[id] = std::make_shared<HookCallback>(std::move(onEvent));
  return std::make_unique<Win32MouseHook>(id);
}

std::string Win32Desktop::ClipboardText() const {
  // Another program may hold the clipboard open for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 5 && !(open = OpenClipboard(nullptr)); ++attempt) Sleep(20);
  if (!open) return {};
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Never read past the block, even when its text lacks the final NUL.
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      text = Utf8(std::wstring(chars, wcsnlen(chars, capacity)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

namespace {

// What `draw` puts into a top-down 24-bit bitmap of this size, as RGB; an
// empty image when it fails.
template <typename Draw>
platform::ScreenImage CaptureInto(HDC reference, int width, int height, Draw&& draw) {
  if (width <= 0 || height <= 0) return {};
  HDC memory = CreateCompatibleDC(reference);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // rows top to bottom
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject dib{CreateDIBSection(reference, &format, DIB_RGB_COLORS, &bits, nullptr, 0)};
  platform::ScreenImage image;
  if (memory && dib.h && bits) {
    HGDIOBJ old = SelectObject(memory, dib.h);
    if (draw(memory)) {
      GdiFlush();
      const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);  // DIB rows are DWORD-aligned
      image.width = width;
      image.height = height;
      image.rgb.resize(size_t(width) * height * 3);
      const auto* source = static_cast<const uint8_t*>(bits);
      for (int y = 0; y < height; ++y) {
        const uint8_t* row = source + stride * y;
        uint8_t* out = image.rgb.data() + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x) {  // the DIB holds B, G, R
          out[x * 3] = row[x * 3 + 2];
          out[x * 3 + 1] = row[x * 3 + 1];
          out[x * 3 + 2] = row[x * 3];
        }
      }
    }
    SelectObject(memory, old);
  }
  if (memory) DeleteDC(memory);
  return image;
}

// Asks the window to draw itself, including content that GDI cannot read
// back (DirectX, as WPF and browsers draw); Windows 8.1 and later.
constexpr UINT kPrintClientFullContent = 0x1 /*PW_CLIENTONLY*/ | 0x2 /*PW_RENDERFULLCONTENT*/;

}  // namespace

platform::ScreenImage Win32Desktop::CaptureScreen() const {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  HDC screen = GetDC(nullptr);
  if (!screen) return {};
  platform::ScreenImage image = CaptureInto(screen, width, height, [&](HDC memory) {
    return BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT) != FALSE;
  });
  ReleaseDC(nullptr, screen);
  return image;
}

// What the window's own device context holds (a GDI window's drawing, even
// where another window covers it); when that is one colour, what the window
// draws when asked.
platform::ScreenImage Win32Desktop::CaptureClient(platform::WindowHandle window) const {
  HWND hwnd = ToHwnd(window);
  RECT client{};
  if (!GetClientRect(hwnd, &client)) return {};
  const int width = client.right - client.left, height = client.bottom - client.top;
  HDC dc = GetDC(hwnd);
  if (!dc) return {};
  platform::ScreenImage image = CaptureInto(dc, width, height, [&](HDC memory) {
    return BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY) != FALSE;
  });
  if (platform::IsOneColour(image)) {
    platform::ScreenImage printed = CaptureInto(dc, width, height, [&](HDC memory) {
      return PrintWindow(hwnd, memory, kPrintClientFullContent) != FALSE;
    });
    if (!printed.rgb.empty() && !platform::IsOneColour(printed)) image = std::move(printed);
  }
  ReleaseDC(hwnd, dc);
  return image;
}

}  // namespace win32
