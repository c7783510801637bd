#pragma once
// The window toolkit. Windows are written once as C++ classes derived from
// Form that own their controls as members; every control is plain state
// (text, tip, bounds, visibility, ...) plus event handlers. A Backend turns
// that state into real windows (Win32) or keeps it in memory (simulation).
// Setters tell the backend about a change; the backend reports the user's
// actions back through the Sync* calls and the event handlers.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace ui {

using platform::WindowHandle;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
};

constexpr uint32_t kDefaultColor = 0xFFFFFFFF;  // the system's colour
constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }

// Message box flags and answers; the values are those of the Win32 API.
namespace mb {
constexpr unsigned kOk = 0x0, kOkCancel = 0x1, kYesNoCancel = 0x3, kYesNo = 0x4;
constexpr unsigned kIconStop = 0x10, kIconQuestion = 0x20, kIconExclamation = 0x30,
                   kIconInformation = 0x40;
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
}  // namespace mb

enum class ControlKind {
  Label, Button, CheckBox, TextBox, ListBox, CheckList, ComboBox, Frame, PictureButton, Picture
};

enum class MouseButton { None = 0, Left = 1, Right = 2, Middle = 4 };
struct MouseInfo {
  MouseButton button = MouseButton::None;
  int x = 0, y = 0;  // client pixels of the control
};

struct ListItem {
  std::string text;
  bool checked = false;
};

class Form;
class Backend;

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, Control* container = nullptr);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  Form& form() const { return form_; }
  Control* container() const { return container_; }  // the frame it sits in

  const std::string& text() const { return text_; }
  void SetText(const std::string& text);
  const std::string& tooltip() const { return tooltip_; }
  void SetTooltip(const std::string& tip);
  const Rect& bounds() const { return bounds_; }
  void SetBounds(Rect r);
  bool visible() const { return visible_; }
  void SetVisible(bool v);
  bool enabled() const { return enabled_; }
  void SetEnabled(bool e);
  bool checked() const { return checked_; }
  void SetChecked(bool c);
  uint32_t foreColor() const { return foreColor_; }
  uint32_t backColor() const { return backColor_; }
  void SetColors(uint32_t fore, uint32_t back);
  int fontSize() const { return fontSize_; }  // points; 0 = the dialog font
  bool bold() const { return bold_; }
  bool monospace() const { return monospace_; }
  void SetFont(int points, bool bold, bool monospace = false);
  int picture() const { return picture_; }  // bitmap resource id, 0 = none
  void SetPicture(int resourceId);
  bool isDefault() const { return default_; }
  void SetDefault(bool d);
  bool isCancel() const { return cancel_; }  // pressed by Escape
  void SetCancel(bool c);
  bool multiLine() const { return multiLine_; }  // text boxes; set before the form opens
  void SetMultiLine(bool m) { multiLine_ = m; }
  // A horizontal scroll bar for lines wider than the control (multi-line text
  // boxes, which then do not wrap, and list boxes); set before the form opens.
  bool horizontalScroll() const { return horizontalScroll_; }
  void SetHorizontalScroll(bool h) { horizontalScroll_ = h; }
  // Gives the control the keyboard focus; a text box may select its whole text.
  void Focus(bool selectAll = false);

  // Lines of list, check-list and combo boxes.
  const std::vector<ListItem>& items() const { return items_; }
  void AddItem(const std::string& text);
  void ClearItems();
  void RemoveItem(int index);
  void SetItemText(int index, const std::string& text);
  void SetItemChecked(int index, bool checked);
  int selectedIndex() const { return selected_; }  // -1 = none
  void SetSelectedIndex(int index);

  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  std::function<void()> onChange;  // text edited, selection or check changed by the user
  std::function<void(int index)> onItemCheck;
  std::function<void(const MouseInfo&)> onMouseDown, onMouseMove, onMouseUp;

  // Called by backends when the user acted: update the state without telling
  // the backend again, then run the handler.
  void SyncText(const std::string& text);
  void SyncChecked(bool checked);
  void SyncSelectedIndex(int index);
  void SyncItemChecked(int index, bool checked);
  void Click();

 private:
  void Changed();
  bool ValidIndex(int index) const { return index >= 0 && index < int(items_.size()); }

  Form& form_;
  ControlKind kind_;
  std::string name_;
  Control* container_;
  std::string text_, tooltip_;
  Rect bounds_;
  bool visible_ = true, enabled_ = true, checked_ = false, default_ = false, cancel_ = false;
  bool multiLine_ = false, horizontalScroll_ = false;
  uint32_t foreColor_ = kDefaultColor, backColor_ = kDefaultColor;
  int fontSize_ = 0;
  bool bold_ = false, monospace_ = false;
  int picture_ = 0;
  std::vector<ListItem> items_;
  int selected_ = -1;
};

// Convenience types so that a form's members read as what they are.
#define ORVANTA_CONTROL(Type, Kind)                                            \
  class Type : public Control {                                                \
   public:                                                                     \
    Type(Form& form, std::string name, Control* container = nullptr)          \
        : Control(form, ControlKind::Kind, std::move(name), container) {}     \
  };
ORVANTA_CONTROL(Label, Label)
ORVANTA_CONTROL(Button, Button)
ORVANTA_CONTROL(CheckBox, CheckBox)
ORVANTA_CONTROL(TextBox, TextBox)
ORVANTA_CONTROL(ListBox, ListBox)
ORVANTA_CONTROL(CheckList, CheckList)
ORVANTA_CONTROL(ComboBox, ComboBox)
ORVANTA_CONTROL(Frame, Frame)
ORVANTA_CONTROL(PictureButton, PictureButton)
ORVANTA_CONTROL(Picture, Picture)
#undef ORVANTA_CONTROL

class Timer {
 public:
  Timer(Form& form, std::string name, int intervalMs);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& name() const { return name_; }
  bool enabled() const { return enabled_; }
  void SetEnabled(bool e);
  int interval() const { return interval_; }
  void SetInterval(int ms);
  std::function<void()> onTick;
  void Tick() {
    if (onTick) onTick();
  }

 private:
  void Changed();
  Form& form_;
  std::string name_;
  int interval_;
  bool enabled_ = false;
};

class MenuItem {
 public:
  MenuItem() = default;
  MenuItem(std::string name, std::string caption, std::string shortcut = {})
      : name(std::move(name)), caption(std::move(caption)), shortcut(std::move(shortcut)) {}

  std::string name;
  std::string caption;   // "-" makes a separator
  std::string shortcut;  // "F5", "Del", "Ctrl+N", ...
  bool checked = false, enabled = true, visible = true;
  std::function<void()> onClick;
  std::vector<std::unique_ptr<MenuItem>> children;

  MenuItem& Add(std::string name, std::string caption, std::string shortcut = {});
  // Depth-first search by name; null when absent.
  MenuItem* Find(const std::string& itemName);
};

enum class FormState { Closed, Hidden, Shown };

// Why a form is asked to close.
enum class CloseReason { User, Program, SessionEnd };

// Form bounds are in pixels at 96 dots per inch and shown scaled to the
// screen's; these turn one into the other, rounding as MulDiv does.
inline int ToScreenPixels(int v, int dpi) {
  const long long scaled = static_cast<long long>(v) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}
inline int FromScreenPixels(int v, int dpi) {
  if (dpi <= 0) return v;
  const long long scaled = static_cast<long long>(v) * 96;
  return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

class Form {
 public:
  Form(Backend& ui, std::string name);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  const std::string& name() const { return name_; }
  Backend& backend() const { return ui_; }

  const std::string& caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Client area: position on screen and size, in pixels. Forms are centred
  // when x and y are negative.
  const Rect& bounds() const { return bounds_; }
  void SetBounds(Rect r);
  bool fixedBorder = true;      // not resizable
  bool toolWindow = false;      // no caption bar (the control bar)
  bool minimizeBox = true;
  int icon = 0;                 // icon resource id, 0 = the program's icon
  // The visible shape: the union of these client rectangles; empty = the
  // whole window. Applied when the window is created and on SetRegion.
  const std::vector<Rect>& region() const { return region_; }
  void SetRegion(std::vector<Rect> rects);
  // Lets the user move the window by dragging from the current mouse press,
  // as if its caption bar had been pressed.
  void BeginDrag();

  FormState state() const { return state_; }
  bool IsOpen() const { return state_ != FormState::Closed; }
  bool IsVisible() const { return state_ == FormState::Shown; }

  void Show();                     // modeless; loads the form first when closed
  void ShowModal(Form* owner);     // returns when the form has closed
  void Hide();
  // Asks the form to close (as the title-bar button does): onQueryClose may
  // refuse; otherwise the form unloads and its window is destroyed.
  void Close(CloseReason reason = CloseReason::Program);
  WindowHandle handle() const;

  MenuItem& menu() { return menu_; }
  void MenuChanged();
  void PopupMenu(MenuItem& popup);

  const std::vector<Control*>& controls() const { return controls_; }
  const std::vector<Timer*>& timers() const { return timers_; }
  Control* FindControl(const std::string& controlName) const;

  std::function<void()> onLoad;           // before the window is first shown
  std::function<bool(CloseReason)> onQueryClose;  // false keeps the form open
  std::function<void()> onUnload;
  std::function<void(const MouseInfo&)> onMouseDown;  // on the form's background
  // The session ends although the form refused it: the last moment to save.
  std::function<void()> onSessionEnd;

  // Backend notifications.
  void ControlChanged(Control& c);
  void TimerChanged(Timer& t);
  void AddControl(Control* c) { controls_.push_back(c); }
  void AddTimer(Timer* t) { timers_.push_back(t); }
  void SetState(FormState s) { state_ = s; }

 private:
  void Load();
  Backend& ui_;
  std::string name_;
  std::string caption_;
  Rect bounds_{-1, -1, 400, 300};
  FormState state_ = FormState::Closed;
  MenuItem menu_;
  std::vector<Rect> region_;
  std::vector<Control*> controls_;
  std::vector<Timer*> timers_;
};

// What the common file dialogs are asked; the dialogs' own logic builds it.
struct FileDialogRequest {
  bool save = false;
  std::string filter;  // pairs of description and pattern, each ended by '\0'
  std::string title;
  std::string initialFolder;
  uint32_t flags = 0;
  int maxPath = 255;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // A modal message box with the given Win32 flags; returns the mb::kId* answer.
  virtual int MessageBox(Form* owner, const std::string& text, const std::string& caption,
                         unsigned flags) = 0;

  virtual void CreateWindowFor(Form& form) = 0;   // the form becomes open (hidden)
  virtual void DestroyWindowOf(Form& form) = 0;   // the form becomes closed
  virtual void ShowWindowOf(Form& form, bool visible) = 0;
  // Shows the form modally over `owner` and returns when it has closed.
  virtual void RunModal(Form& form, Form* owner) = 0;

  virtual void FormChanged(Form& form) = 0;       // caption or bounds
  virtual void ControlChanged(Form& form, Control& control) = 0;
  virtual void TimerChanged(Form& form, Timer& timer) = 0;
  virtual void MenuChanged(Form& form) = 0;
  virtual void ShowPopupMenu(Form& form, MenuItem& popup) = 0;
  virtual WindowHandle HandleOf(const Form& form) const = 0;
  virtual void RegionChanged(Form& form) = 0;
  virtual void FocusControl(Form& form, Control& control, bool selectAll) = 0;
  virtual void BeginDrag(Form& form) = 0;
  // What the shutdown screen says while the form holds up the end of the
  // session (its close request refuses it); empty says nothing any more.
  virtual void SetShutdownReason(Form& form, const std::string& reason) = 0;
  // Dots per inch of the screen: form bounds are at 96 and shown scaled.
  virtual int Dpi() const = 0;
  // Where the caret stands in a text box, in characters from the start.
  virtual int CaretPosition(const Form& form, const Control& textBox) const = 0;
  // The line of a list under a point of its client area (bounds inclusive, a
  // point on the border of two lines belongs to the upper one); -2 for none.
  virtual int ItemFromPoint(const Form& form, const Control& list, int x, int y) const = 0;

  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> FileDialog(Form* owner, const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> BrowseForFolder(Form* owner, const std::string& title) = 0;

  // Runs the message loop until the last form has closed; returns the exit code.
  virtual int Run() = 0;
  // Lets the messages that wait now run, for a long loop on this thread
  // (what the user does meanwhile may run the loop's own code again).
  virtual void ProcessPendingEvents() = 0;
  // The code that Run returns (0 unless set).
  virtual void SetExitCode(int code) = 0;
};

}  // namespace ui
