// What the program captures from the desktop: the user's mouse through a
// global low-level hook, the clipboard's text, and pictures of the screen.
#include "platform/win32/windows_api.h"

#include <cwchar>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

using HookCallback = std::function<void(const platform::HookEvent&)>;

// A low-level hook procedure gets no context of its own, so the installed
// hooks live in this table. Windows calls the procedure on the thread that
// installed the hook, by way of that thread's message loop, so each thread
// has its own table and no lock is needed. One system hook serves every
// entry; it is removed with the last one.
struct HookTable {
  HHOOK hook = nullptr;
  std::map<int, std::shared_ptr<HookCallback>> callbacks;
  int nextId = 1;
};

HookTable& Hooks() {
  thread_local HookTable table;
  return table;
}

// The mouse messages a recording needs; wheel, X buttons and anything else
// are not translated.
std::optional<platform::HookEvent> Translate(WPARAM message, const MSLLHOOKSTRUCT& info) {
  using platform::HookAction;
  const platform::Point at{info.pt.x, info.pt.y};
  switch (message) {
    case WM_MOUSEMOVE: return platform::HookEvent{HookAction::Move, 0, at};
    case WM_LBUTTONDOWN: return platform::HookEvent{HookAction::Press, 1, at};
    case WM_RBUTTONDOWN: return platform::HookEvent{HookAction::Press, 2, at};
    case WM_MBUTTONDOWN: return platform::HookEvent{HookAction::Press, 4, at};
    case WM_LBUTTONUP: return platform::HookEvent{HookAction::Release, 1, at};
    case WM_RBUTTONUP: return platform::HookEvent{HookAction::Release, 2, at};
    case WM_MBUTTONUP: return platform::HookEvent{HookAction::Release, 4, at};
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
      // Nothing may unwind into the system's hook dispatch; the event is
      // lost to this callback only.
    }
  }
}

// Kept short: Windows silently removes a low-level hook that overruns its
// time-out. The callbacks run before the input reaches any window, so they
// see the window under the point as it was at the press.
LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wp, LPARAM lp) {
  HookTable& table = Hooks();
  if (code == HC_ACTION && lp) {
    if (auto event = Translate(wp, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp))) {
      Dispatch(table, *event);
    }
  }
  return CallNextHookEx(table.hook, code, wp, lp);
}

// One installed callback; destroying it removes the callback, and the
// system hook with the last one.
class Win32MouseHook : public platform::MouseHook {
 public:
  explicit Win32MouseHook(int id) : id_(id) {}
  Win32MouseHook(const Win32MouseHook&) = delete;
  Win32MouseHook& operator=(const Win32MouseHook&) = delete;
  ~Win32MouseHook() override {
    HookTable& table = Hooks();
    table.callbacks.erase(id_);
    if (table.callbacks.empty() && table.hook) {
      UnhookWindowsHookEx(table.hook);
      table.hook = nullptr;
    }
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

std::unique_ptr<platform::MouseHook> Win32Desktop::InstallMouseHook(HookCallback onEvent) {
  HookTable& table = Hooks();
  if (!table.hook) {
    // Journal hooks never fire under Wine and are gone from recent Windows;
    // the low-level hook sees the same input, injected input included.
    table.hook = SetWindowsHookExW(WH_MOUSE_LL, LowLevelMouseProc, GetModuleHandleW(nullptr), 0);
    if (!table.hook) return nullptr;
  }
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

platform::ScreenImage Win32Desktop::CaptureScreen() const {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  if (!screen) return {};
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // rows top to bottom
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject dib{CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0)};
  platform::ScreenImage image;
  if (memory && dib.h && bits) {
    HGDIOBJ old = SelectObject(memory, dib.h);
    if (BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT)) {
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
  ReleaseDC(nullptr, screen);
  return image;
}

}  // namespace win32
