#pragma once
// A simulated desktop: a tree of windows with classes, captions, screen
// rectangles, visibility, an enabled state and z-order; hit testing; and
// injected mouse input, which is logged and delivered as clicks to the window
// under the cursor. As on Windows, hit testing passes over a disabled child
// window (the point then belongs to what lies below it, in the end its
// parent), a disabled window gets no click, and a button event without the
// move flag happens where the cursor already is.
//
// It is as strict as Windows where unattended runs die: windows belong to
// processes and the foreground lock refuses a plain SetForeground to a
// program whose window is not the foreground; an owned top-level window (a
// message box) is no child of its owner, yet Parent gives the owner, as
// GetParent does; absolute input covers only the primary monitor unless it
// names the virtual desk; a locked workstation refuses injected input; the
// buttons can be swapped; and a window posted a button click takes it even
// when it is hidden or disabled, as the button's own procedure does, but
// only when its thread next takes its messages, and ignores it when its
// dialog is not active.
#include <functional>
#include <map>
#include <unordered_map>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace sim {

struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(platform::Point p) const {
    return p.x >= left && p.y >= top && p.x < left + width && p.y < top + height;
  }
};

class SimDesktop : public platform::Desktop {
 public:
  static constexpr platform::WindowHandle kDesktop = 0x10010;

  int screenWidth = 1024, screenHeight = 768;  // the primary monitor, at (0, 0)
  // Further monitors beside the primary one; left or above it means negative
  // coordinates.
  std::vector<ScreenRect> otherMonitors;
  bool buttonsSwapped = false;
  bool workstationLocked = false;  // injected input is refused
  // Every way of taking the foreground fails: a program that holds it (a
  // full-screen one, a game) or a policy keeps it, as Windows lets them.
  bool foregroundRefused = false;
  int refusedInjections = 0;
  // An injected press into a window that is not the foreground activates it,
  // and under Wine without a window manager the activation arrives after the
  // press and cancels it (the button loses its pushed state). The next
  // `lateActivations` presses are cancelled so even into the foreground (an
  // activation still on its way, a setup that moves the focus as it is
  // activated).
  int lateActivations = 0;
  int cancelledPresses = 0;  // presses an activation took
  // An activation that arrives after the button took the press but before
  // the release takes the button's capture: the release clicks nothing. So
  // go the next `lostReleases` releases of injected clicks.
  int lostReleases = 0;
  // Under Wine the pointer motion of an earlier warp can reach the setup after
  // an injected press, with a point off the button while the cursor stays on
  // it: the button keeps the press and its capture but shows itself raised,
  // and a release now clicks nothing. So it goes after the next `strayMoves`
  // presses that a button took. Only a move that changes the cursor's
  // position reaches a window (an injected move to where the cursor is makes
  // no mouse message, as under Wine), and one onto the button pushes it again.
  int strayMoves = 0;
  // A BM_CLICK to a push button whose dialog is not active is ignored (the
  // button's click needs the focus, which an inactive dialog does not give).
  int ignoredButtonClicks = 0;
  // The next `lostTexts` WM_SETTEXT go nowhere: the window was busy a moment
  // (the send timed out) or its setup put its own text over ours.
  int lostTexts = 0;

  // Processes: the windows of this program (the forms of the user interface)
  // and those of everyone else.
  static constexpr int kOwnProcess = 1;
  static constexpr int kOtherProcess = 2;

  // Adds a window; parent 0 makes a top-level window in front of the others
  // of its band. `rect` is in screen pixels (children too).
  platform::WindowHandle AddWindow(platform::WindowHandle parent, const std::string& className,
                                   const std::string& caption, ScreenRect rect,
                                   bool visible = true);
  // A top-level window owned by `owner`, as a message box is: always in front
  // of its owner, never among the owner's children.
  platform::WindowHandle AddOwnedWindow(platform::WindowHandle owner, const std::string& className,
                                        const std::string& caption, ScreenRect rect);
  void SetProcess(platform::WindowHandle window, int process);  // children follow
  int ProcessOf(platform::WindowHandle window) const;
  unsigned ProcessIdOf(platform::WindowHandle window) const override {
    return static_cast<unsigned>(ProcessOf(window));
  }
  void SetButtonKind(platform::WindowHandle window, platform::ButtonKind kind);
  void SetHung(platform::WindowHandle window, bool hung);  // its thread stops answering
  void RemoveWindow(platform::WindowHandle window);  // with its children
  void SetCaption(platform::WindowHandle window, const std::string& caption);
  // The window's caption changes raise no window event: under Wine a class
  // library's controls change their text so, and their pages come to the
  // front without one.
  void SetQuietRenames(platform::WindowHandle window);
  // A child window in front of its siblings (SetWindowPos HWND_TOP): hit
  // testing and enumeration find it first. No window event, as under Wine.
  void RaiseChild(platform::WindowHandle window);
  void MoveWindow(platform::WindowHandle window, ScreenRect rect);  // children move along
  void SetVisible(platform::WindowHandle window, bool visible);
  void SetEnabled(platform::WindowHandle window, bool enabled);
  void SetOnClick(platform::WindowHandle window, std::function<void()> onClick);
  // A window that draws its own controls: a click reaches it with its client
  // point, and its picture (CaptureClient) is what `picture` says; 0, as for
  // every other window, is a picture of one colour, from which nothing can
  // be told.
  void SetOnClickAt(platform::WindowHandle window, std::function<void(platform::Point)> onClick);
  void SetPicture(platform::WindowHandle window, uint64_t picture);
  // A child window's ID; a top-level window has none, whatever is set.
  void SetControlId(platform::WindowHandle window, int id);
  // The picture is kPictureSide x kPictureSide pixels; one of them drawn
  // apart from the rest (a bar running along the bottom); 0 draws it as the
  // rest again.
  static constexpr int kPictureSide = 8;
  void SetPicturePixel(platform::WindowHandle window, int row, int column, uint64_t picture);
  // A window that lights up what the pointer is over: `onHover` gets the
  // client point whenever the cursor comes to another point over it (by
  // SetCursorPos, an injected or a user's move), as WM_MOUSEMOVE reaches it.
  // How soon it draws what it shows then is the window's own affair.
  void SetOnHover(platform::WindowHandle window, std::function<void(platform::Point)> onHover);
  bool IsTopmost(platform::WindowHandle window) const;
  ScreenRect RectOf(platform::WindowHandle window) const;
  std::vector<platform::WindowHandle> Children(platform::WindowHandle parent) const;
  std::vector<platform::WindowHandle> ChildWindows(platform::WindowHandle parent) const override {
    return parent == 0 ? ZOrdered() : Children(parent);
  }

  struct InjectedEvent {
    uint32_t flags;
    int x, y;                // as passed (absolute units with kAbsolute)
    platform::Point pixel;   // the screen point it happened at (the cursor)
  };
  std::vector<InjectedEvent> injected;

  // A user's hand on the mouse: each event goes through the installed hooks
  // first, then moves the cursor and reaches the window under it.
  void UserPress(platform::Point at, int button = 1);
  void UserMove(platform::Point to);
  void UserRelease(platform::Point at, int button = 1);
  void UserClick(platform::Point at, int button = 1);
  bool refuseHooks = false;  // the next InstallMouseHook fails
  // While the user-interface thread is busy (a slow launch), hook events
  // wait; they arrive in order once it is free.
  void SetUiThreadBusy(bool busy);
  int hookCount() const { return static_cast<int>(hooks_.size()); }
  // Window events of other programs, as an out-of-context event hook gets
  // them: they wait until the message loop runs (DeliverWindowEvents, which
  // the simulated message loop and PumpMessages call).
  std::unique_ptr<platform::WindowWatch> WatchWindows(WindowEventHandler onChange) override;
  bool DeliverWindowEvents();  // false when none was waiting
  // Posted messages wait in their window's queue until its thread next takes
  // its messages: the simulated message loop hands them out, a hung
  // window's stay queued, a window gone takes its queue along. Our own
  // PumpMessages runs only this program's queue.
  bool DeliverPostedMessages();  // false when none was delivered
  // A window that reads the pointer itself (a drawn one) takes no notice of
  // posted mouse messages; so does one of a higher integrity level.
  void SetIgnoresPostedMouse(platform::WindowHandle window);
  int watchCount() const { return static_cast<int>(watches_.size()); }
  std::string clipboard;

  std::vector<platform::Point> cursorMoves;  // every SetCursorPos
  std::vector<platform::WindowHandle> foregroundCalls;       // plain SetForeground
  std::vector<platform::WindowHandle> forceForegroundCalls;  // ForceForeground
  struct PostedInput {
    platform::WindowHandle window;
    bool buttonClick;  // BM_CLICK; otherwise a mouse message
    platform::MouseMessage message;
    platform::Point client;
  };
  std::vector<PostedInput> posted;
  std::vector<std::pair<platform::WindowHandle, uint32_t>> notTopmostCalls;
  int pumps = 0;
  std::function<void()> onPump;  // what the message queue runs, when a test needs it

  platform::WindowHandle DesktopWindow() const override { return kDesktop; }
  platform::WindowHandle FindWindow(platform::WindowHandle parent, platform::WindowHandle after,
                                    const std::string& className,
                                    const std::optional<std::string>& caption) const override;
  platform::WindowHandle Parent(platform::WindowHandle window) const override;
  bool IsWindow(platform::WindowHandle window) const override;
  std::string ClassName(platform::WindowHandle window) const override;
  int ControlId(platform::WindowHandle window) const override;
  std::string WindowText(platform::WindowHandle window) const override;
  platform::Point ClientToScreen(platform::WindowHandle window,
                                 platform::Point client) const override;
  platform::Point ScreenToClient(platform::WindowHandle window,
                                 platform::Point screen) const override;
  platform::ScreenArea ClientArea(platform::WindowHandle window) const override;
  platform::WindowHandle WindowFromPoint(platform::Point screen) const override;
  platform::WindowHandle RootWindow(platform::WindowHandle window) const override;
  bool IsVisible(platform::WindowHandle window) const override;
  bool IsEnabled(platform::WindowHandle window) const override;
  bool IsResponding(platform::WindowHandle window) const override;
  platform::ScreenArea VirtualScreen() const override;
  bool ButtonsSwapped() const override { return buttonsSwapped; }
  void SetCursorPos(platform::Point screen) override;
  platform::Point CursorPos() const override { return cursor_; }
  bool InjectMouse(uint32_t flags, int x, int y) override;
  platform::ButtonKind ButtonKindOf(platform::WindowHandle window) const override;
  bool PostButtonClick(platform::WindowHandle window) override;
  bool PostButtonCommand(platform::WindowHandle window) override;
  bool PostButtonCheck(platform::WindowHandle window, int check) override;
  platform::WindowHandle FocusOf(platform::WindowHandle window) const override;
  std::optional<long long> SelectionOf(platform::WindowHandle window) const override;
  // What a list shows selected; nothing: the window is no list.
  void SetSelection(platform::WindowHandle window, std::optional<long long> selection);
  int CheckState(platform::WindowHandle window) const override;
  bool PostMouse(platform::WindowHandle window, platform::MouseMessage message, int button,
                 platform::Point client) override;
  bool WaitButtonPushed(platform::WindowHandle window, bool pushed, int waitMs) const override;
  void SetWindowPos(platform::WindowHandle window, platform::ZOrder order,
                    uint32_t flags) override;
  void SetForeground(platform::WindowHandle window) override;
  bool ForceForeground(platform::WindowHandle window) override;
  platform::WindowHandle ForegroundWindow() const override;
  void SendSetText(platform::WindowHandle window, const std::string& text) override;
  std::string SendGetText(platform::WindowHandle window, int maxChars) const override;
  void PumpMessages() override {
    ++pumps;
    DeliverWindowEvents();
    if (onPump) onPump();
  }
  std::unique_ptr<platform::MouseHook> InstallMouseHook(
      std::function<void(const platform::HookEvent&)> onEvent,
      platform::PressSnapshot snapshot) override;
  std::string ClipboardText() const override { return clipboard; }
  platform::ScreenImage CaptureScreen() const override;
  platform::ScreenImage CaptureClient(platform::WindowHandle window) const override;

 private:
  struct Window {
    platform::WindowHandle parent = 0;
    platform::WindowHandle owner = 0;  // top-level windows only
    std::string className, caption;
    ScreenRect rect;
    bool visible = true;
    bool enabled = true;
    bool topmost = false;
    bool hung = false;
    bool quietRenames = false;
    int process = kOtherProcess;
    platform::ButtonKind buttonKind = platform::ButtonKind::None;
    int check = 0;  // of a check box or radio button
    int controlId = 0;
    std::function<void()> onClick;
    std::function<void(platform::Point)> onClickAt;
    std::function<void(platform::Point)> onHover;
    bool ignoresPostedMouse = false;
    std::optional<long long> selection;
    uint64_t picture = 0;
    uint64_t picturePixels[kPictureSide * kPictureSide] = {};
  };
  const Window* Get(platform::WindowHandle h) const;
  Window* Get(platform::WindowHandle h);
  // Top-level windows front to back: the topmost band first.
  std::vector<platform::WindowHandle> ZOrdered() const;
  platform::WindowHandle DeepestChildAt(platform::WindowHandle parent, platform::Point p) const;
  platform::Point ToPixel(uint32_t flags, int x, int y) const;
  // Puts a top-level window in front of its band, its owned windows in
  // front of it.
  void BringToFront(platform::WindowHandle topLevel);
  void Activate(platform::WindowHandle window);  // its top-level window becomes the foreground
  // A click on the window; `client` is where, for a click of the mouse.
  void RunClick(platform::WindowHandle window, std::optional<platform::Point> client = {});
  void RunHooks(const platform::HookEvent& event);
  // A button going down or up at a screen point: a press and a release on
  // the same window click it.
  void DeliverButton(uint32_t flags, platform::Point at);
  // A window event: created, shown, renamed, enabled or disabled, or the
  // foreground moved to it.
  void RaiseWindowEvent(platform::WindowHandle window,
                        platform::WindowEvent event = platform::WindowEvent::Changed);
  void SetForegroundWindow(platform::WindowHandle root);
  void MoveCursor(platform::Point to);  // and tells the window under it
  friend class SimMouseHook;
  friend class SimWindowWatch;

  platform::WindowHandle next_ = 0x20000;
  std::unordered_map<platform::WindowHandle, Window> windows_;
  // Children of each window (0: the top-level windows) in creation order, and
  // each window's place among its siblings.
  std::map<platform::WindowHandle, std::vector<platform::WindowHandle>> children_;
  std::unordered_map<platform::WindowHandle, size_t> positions_;
  std::vector<platform::WindowHandle> zorder_;  // top-level windows, front first
  platform::Point cursor_;
  platform::WindowHandle pressed_ = 0;
  bool pressedRaised_ = false;  // a stray move took the pressed button's pushed state
  platform::WindowHandle postedPressed_ = 0;
  // The window with the keyboard focus: a field or a list takes it when it
  // is pressed, as their own procedures do.
  platform::WindowHandle focus_ = 0;
  void FocusOnPress(platform::WindowHandle window);
  struct PostedMessage {
    platform::WindowHandle window;
    std::function<void()> deliver;
  };
  std::vector<PostedMessage> postedQueue_;
  void Post(platform::WindowHandle window, std::function<void()> deliver);
  platform::WindowHandle foreground_ = 0;
  std::map<int, std::function<void(const platform::HookEvent&)>> hooks_;
  platform::PressSnapshot snapshot_;
  bool uiBusy_ = false;
  std::vector<platform::HookEvent> waitingHookEvents_;
  int nextHook_ = 1;
  std::map<int, WindowEventHandler> watches_;
  // Waiting for the message loop.
  std::vector<std::pair<platform::WindowHandle, platform::WindowEvent>> windowEvents_;
};

}  // namespace sim
