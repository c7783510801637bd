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
constexpr uint32_t kVirtualDesk = 0x4000;  // absolute units span every monitor
constexpr uint32_t kAbsolute = 0x8000;

// The same events with the left and right buttons exchanged, as the system
// does with the buttons swapped in its settings.
inline uint32_t SwapLeftAndRight(uint32_t flags) {
  const uint32_t left = flags & (kLeftDown | kLeftUp), right = flags & (kRightDown | kRightUp);
  return (flags & ~(kLeftDown | kLeftUp | kRightDown | kRightUp)) | (left << 2) | (right >> 2);
}
}  // namespace mouse

// A rectangle in screen pixels; on a desktop of several monitors the left and
// top of the whole may be negative.
struct ScreenArea {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(Point p) const {
    return p.x >= left && p.y >= top && p.x < left + width && p.y < top + height;
  }
};

// What a window message can click without the mouse.
enum class ButtonKind { None, Push, Check, Radio };
enum class MouseMessage { Down, Move, Up };

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
  // For a press: the window under the point when it happened, before the
  // press reached it (the event may be taken later, when that window has
  // already acted on it), and what the hook's snapshot made of it then.
  WindowHandle window = 0;
  std::shared_ptr<const void> snapshot;
};
// Runs at a press on the hook's own thread, before the press reaches its
// window; what it returns travels with the event. It may read other
// programs' windows only: a window of this program answers on the
// user-interface thread, which may be busy.
using PressSnapshot = std::function<std::shared_ptr<const void>(const HookEvent&)>;

// An installed global mouse hook; destroying it removes the hook, so every
// way out of a recording (stop, close, an exception) unhooks.
class MouseHook {
 public:
  virtual ~MouseHook() = default;
};

// What a watched window event says: the foreground moved, or a window was
// created, shown, renamed, enabled or disabled.
enum class WindowEvent { Foreground, Changed };

// Window events being watched; destroying it stops them.
class WindowWatch {
 public:
  virtual ~WindowWatch() = default;
};

// A picture of the whole screen, rows top to bottom, 3 bytes (R, G, B) a pixel.
struct ScreenImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

// An empty picture, or one whose pixels are all alike: nothing can be told
// from it (a window drawn where it cannot be read back).
inline bool IsOneColour(const ScreenImage& image) {
  for (size_t i = 3; i + 2 < image.rgb.size(); i += 3) {
    if (image.rgb[i] != image.rgb[0] || image.rgb[i + 1] != image.rgb[1] ||
        image.rgb[i + 2] != image.rgb[2]) {
      return false;
    }
  }
  return true;
}

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
  // The windows whose parent is `parent` (0: the top-level windows, owned
  // ones among them), front to back.
  virtual std::vector<WindowHandle> ChildWindows(WindowHandle parent) const = 0;
  virtual bool IsWindow(WindowHandle window) const = 0;
  virtual std::string ClassName(WindowHandle window) const = 0;
  virtual std::string WindowText(WindowHandle window) const = 0;
  // GetDlgCtrlID of a child window, the number its program knows it by,
  // the same in every language; 0 for a top-level window (whose "ID" is its
  // menu) and for a window that is gone.
  virtual int ControlId(WindowHandle window) const = 0;
  // GetWindowThreadProcessId: the process that made the window; 0 when the
  // window is gone.
  virtual unsigned ProcessIdOf(WindowHandle window) const = 0;

  virtual Point ClientToScreen(WindowHandle window, Point client) const = 0;
  virtual Point ScreenToClient(WindowHandle window, Point screen) const = 0;
  // The window's client area in screen pixels.
  virtual ScreenArea ClientArea(WindowHandle window) const = 0;
  virtual WindowHandle WindowFromPoint(Point screen) const = 0;

  // GetAncestor(GA_ROOT): the top-level window that holds `window`.
  virtual WindowHandle RootWindow(WindowHandle window) const = 0;
  // IsWindowVisible: the window and every ancestor are shown.
  virtual bool IsVisible(WindowHandle window) const = 0;
  // IsWindowEnabled of the window itself.
  virtual bool IsEnabled(WindowHandle window) const = 0;
  // The window's thread answers a message within a short time (not hung,
  // not busy): it is ready for input.
  virtual bool IsResponding(WindowHandle window) const = 0;

  // The bounding rectangle of all monitors, and whether the primary and
  // secondary mouse buttons are swapped in the system's settings.
  virtual ScreenArea VirtualScreen() const = 0;
  virtual bool ButtonsSwapped() const = 0;

  virtual void SetCursorPos(Point screen) = 0;
  virtual Point CursorPos() const = 0;
  // One injected mouse event; with kAbsolute, x and y are 0..65535 over the
  // primary monitor, or over the virtual screen with kVirtualDesk. False when
  // the system did not take it (a locked workstation, the secure desktop, a
  // disconnected session).
  virtual bool InjectMouse(uint32_t flags, int x, int y) = 0;

  // Input by window messages, for when input cannot be injected: a posted
  // BM_CLICK, and posted mouse messages at a client point. A button is a
  // window that answers like one (WM_GETDLGCODE), whatever its class is
  // called: class libraries superclass the system's buttons.
  virtual ButtonKind ButtonKindOf(WindowHandle window) const = 0;
  // A button in a dialog that is not active may ignore it, as Windows says.
  virtual bool PostButtonClick(WindowHandle window) = 0;
  // The notice a button sends its parent when it is clicked (WM_COMMAND with
  // BN_CLICKED), posted to the parent: the dialog acts on it whether it is
  // active or not.
  virtual bool PostButtonCommand(WindowHandle window) = 0;
  // BM_SETCHECK posted: the check a click gives a check box or radio button,
  // for a dialog told of the click by PostButtonCommand.
  virtual bool PostButtonCheck(WindowHandle window, int check) = 0;
  // BM_GETCHECK: 0 clear, 1 checked, 2 indeterminate; -1 when it gives no answer.
  virtual int CheckState(WindowHandle window) const = 0;
  virtual bool PostMouse(WindowHandle window, MouseMessage message, int button, Point client) = 0;
  // The window that has the keyboard focus in the thread of `window`
  // (GetGUIThreadInfo); 0 when none or when it cannot be told.
  virtual WindowHandle FocusOf(WindowHandle window) const = 0;
  // What a list, combo box, list view or tree view has selected (its
  // current item; -1 none), also under a class library's own class name;
  // nothing for other windows or one that does not answer.
  virtual std::optional<long long> SelectionOf(WindowHandle window) const = 0;
  // Waits at most `waitMs` for a button (push, check or radio) to show itself
  // pushed, or released with `pushed` false (BM_GETSTATE): a pushed button
  // has taken a press and will click on its release; true when it did.
  virtual bool WaitButtonPushed(WindowHandle window, bool pushed, int waitMs) const = 0;

  virtual void SetWindowPos(WindowHandle window, ZOrder order, uint32_t flags) = 0;
  // SetForegroundWindow alone: Windows refuses it to a program that did not
  // get the last input, unless the foreground is its own already.
  virtual void SetForeground(WindowHandle window) = 0;
  // Brings a top-level window to the foreground the way automation tools do
  // where the plain call is refused; true when it is the foreground after.
  virtual bool ForceForeground(WindowHandle window) = 0;
  virtual WindowHandle ForegroundWindow() const = 0;
  // WM_SETTEXT and WM_GETTEXT sent to a window of any process; a hung
  // window gets a time-out, not our wait for ever.
  virtual void SendSetText(WindowHandle window, const std::string& text) = 0;
  virtual std::string SendGetText(WindowHandle window, int maxChars) const = 0;

  // Lets the program's own message queue run once.
  virtual void PumpMessages() = 0;

  // Installs a global mouse hook whose events reach `onEvent` on this (the
  // user-interface) thread, in the order they happened, as soon as this
  // thread is free: the hook procedure itself never waits for it, for the
  // system silently removes a hook that does not answer in time. What a
  // press must know of its window as it was is taken by `snapshot` (may be
  // null). Null when the system refuses the hook.
  virtual std::unique_ptr<MouseHook> InstallMouseHook(
      std::function<void(const HookEvent&)> onEvent, PressSnapshot snapshot) = 0;

  // Calls `onChange` on this thread, soon after any window of another
  // program was created, shown, renamed, enabled or disabled, or the
  // foreground changed, with that window (out-of-context window events: they
  // arrive when the message queue runs, several at once as a rule, and the
  // window may be gone by then). Null when the system refuses; destroying
  // the result stops the calls.
  using WindowEventHandler = std::function<void(WindowEvent, WindowHandle)>;
  virtual std::unique_ptr<WindowWatch> WatchWindows(WindowEventHandler onChange) = 0;

  // The clipboard's text; empty when it holds none.
  virtual std::string ClipboardText() const = 0;
  // The screen as it is now; an empty image when it cannot be read.
  virtual ScreenImage CaptureScreen() const = 0;
  // The window's client area as the window drew it.
  virtual ScreenImage CaptureClient(WindowHandle window) const = 0;
};

}  // namespace platform
