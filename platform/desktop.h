#pragma once
// Other programs' windows: the window tree, text, z-order, the cursor and
// injected mouse input. All coordinates are physical screen pixels.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

using WindowHandle = std::uintptr_t;  // 0 = no window

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Flags of injected mouse input; the values are those of the Win32 API.
namespace mouse {
constexpr uint32_t kMove = 0x0001;
constexpr uint32_t kLeftDown = 0x0002;
constexpr uint32_t kLeftUp = 0x0004;
constexpr uint32_t kRightDown = 0x0008;
constexpr uint32_t kRightUp = 0x0010;
constexpr uint32_t kMiddleDown = 0x0020;
constexpr uint32_t kMiddleUp = 0x0040;
constexpr uint32_t kAbsolute = 0x8000;
}  // namespace mouse

// Where SetWindowPos puts a window in the z-order, and its flags.
enum class ZOrder { Top, Bottom, Topmost, NotTopmost };
namespace swp {
constexpr uint32_t kNoSize = 0x0001;
constexpr uint32_t kNoMove = 0x0002;
constexpr uint32_t kNoActivate = 0x0010;
constexpr uint32_t kShowWindow = 0x0040;
// Shown where it is, as large as it is, without taking the focus (0x53): how
// the program moves a window in or out of the top-most band.
constexpr uint32_t kZOrderOnly = kShowWindow | kNoActivate | kNoMove | kNoSize;
}  // namespace swp

// One mouse event seen by the global mouse hook.
enum class HookAction { Press, Move, Release };
struct HookEvent {
  HookAction action = HookAction::Move;
  int button = 0;  // 1 left, 2 right, 4 middle; 0 for a move
  Point point;     // screen pixels where it happened
};

// An installed global mouse hook; destroying it removes the hook, so every
// way out of a recording (stop, close, an exception) unhooks.
class MouseHook {
 public:
  virtual ~MouseHook() = default;
};

// A picture of the whole screen, rows top to bottom, 3 bytes (R, G, B) a pixel.
struct ScreenImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual WindowHandle DesktopWindow() const = 0;
  // FindWindowEx: the next child of `parent` (0 = top-level windows) after
  // `after` whose class and caption match; a missing caption matches any.
  virtual WindowHandle FindWindow(WindowHandle parent, WindowHandle after,
                                  const std::string& className,
                                  const std::optional<std::string>& caption) const = 0;
  virtual WindowHandle Parent(WindowHandle window) const = 0;
  virtual bool IsWindow(WindowHandle window) const = 0;
  virtual std::string ClassName(WindowHandle window) const = 0;
  virtual std::string WindowText(WindowHandle window) const = 0;

  virtual Point ClientToScreen(WindowHandle window, Point client) const = 0;
  virtual Point ScreenToClient(WindowHandle window, Point screen) const = 0;
  virtual WindowHandle WindowFromPoint(Point screen) const = 0;

  virtual void SetCursorPos(Point screen) = 0;
  virtual Point CursorPos() const = 0;
  // One injected mouse event; with kAbsolute, x and y are 0..65535.
  virtual void InjectMouse(uint32_t flags, int x, int y) = 0;

  virtual void SetWindowPos(WindowHandle window, ZOrder order, uint32_t flags) = 0;
  virtual void SetForeground(WindowHandle window) = 0;
  // WM_SETTEXT and WM_GETTEXT sent to a window of any process.
  virtual void SendSetText(WindowHandle window, const std::string& text) = 0;
  virtual std::string SendGetText(WindowHandle window, int maxChars) const = 0;

  // Lets the program's own message queue run once.
  virtual void PumpMessages() = 0;

  // Installs a global mouse hook whose events reach `onEvent` on this (the
  // user-interface) thread, in the order they happened, before the window
  // under the cursor gets them. Null when the system refuses the hook.
  virtual std::unique_ptr<MouseHook> InstallMouseHook(
      std::function<void(const HookEvent&)> onEvent) = 0;

  // The clipboard's text; empty when it holds none.
  virtual std::string ClipboardText() const = 0;
  // The screen as it is now; an empty image when it cannot be read.
  virtual ScreenImage CaptureScreen() const = 0;
};

}  // namespace platform
