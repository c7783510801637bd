#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <cctype>

#include "platform/text.h"

namespace sim {

using platform::Point;
using platform::WindowHandle;

namespace {

int ButtonOf(uint32_t flags) {
  using namespace platform::mouse;
  if (flags & (kRightDown | kRightUp)) return 2;
  if (flags & (kMiddleDown | kMiddleUp)) return 4;
  return 1;
}

uint32_t FlagsOf(platform::HookAction action, int button) {
  using namespace platform::mouse;
  const bool down = action == platform::HookAction::Press;
  switch (button) {
    case 2: return down ? kRightDown : kRightUp;
    case 4: return down ? kMiddleDown : kMiddleUp;
    default: return down ? kLeftDown : kLeftUp;
  }
}

}  // namespace

class SimMouseHook : public platform::MouseHook {
 public:
  SimMouseHook(SimDesktop& desktop, int id) : desktop_(desktop), id_(id) {}
  ~SimMouseHook() override {
    desktop_.hooks_.erase(id_);
    if (desktop_.hooks_.empty()) desktop_.snapshot_ = nullptr;
  }

 private:
  SimDesktop& desktop_;
  int id_;
};

class SimWindowWatch : public platform::WindowWatch {
 public:
  SimWindowWatch(SimDesktop& desktop, int id) : desktop_(desktop), id_(id) {}
  ~SimWindowWatch() override { desktop_.watches_.erase(id_); }

 private:
  SimDesktop& desktop_;
  int id_;
};

std::unique_ptr<platform::WindowWatch> SimDesktop::WatchWindows(WindowEventHandler onChange) {
  const int id = nextHook_++;
  watches_[id] = std::move(onChange);
  return std::make_unique<SimWindowWatch>(*this, id);
}

void SimDesktop::RaiseWindowEvent(WindowHandle window, platform::WindowEvent event) {
  if (window != 0 && !watches_.empty()) windowEvents_.emplace_back(window, event);
}

bool SimDesktop::DeliverWindowEvents() {
  if (windowEvents_.empty()) return false;
  const auto events = std::move(windowEvents_);
  windowEvents_.clear();
  for (const auto& [window, event] : events) {
    // The hook skips the program's own windows.
    if (ProcessOf(window) == kOwnProcess) continue;
    const auto watches = watches_;  // a watch may end itself
    for (const auto& [id, onChange] : watches) onChange(event, window);
  }
  return true;
}

std::unique_ptr<platform::MouseHook> SimDesktop::InstallMouseHook(
    std::function<void(const platform::HookEvent&)> onEvent, platform::PressSnapshot snapshot) {
  if (snapshot) snapshot_ = std::move(snapshot);
  if (refuseHooks) {
    refuseHooks = false;
    return nullptr;
  }
  const int id = nextHook_++;
  hooks_[id] = std::move(onEvent);
  return std::make_unique<SimMouseHook>(*this, id);
}

void SimDesktop::RunHooks(const platform::HookEvent& event) {
  if (hooks_.empty()) return;
  platform::HookEvent seen = event;
  if (seen.action == platform::HookAction::Press) {
    // The hook's own thread, before the press reaches the window.
    seen.window = WindowFromPoint(seen.point);
    if (snapshot_) seen.snapshot = snapshot_(seen);
  }
  if (uiBusy_) {
    waitingHookEvents_.push_back(seen);
    return;
  }
  const auto hooks = hooks_;  // a hook may remove itself
  for (const auto& [id, onEvent] : hooks) onEvent(seen);
}

void SimDesktop::SetUiThreadBusy(bool busy) {
  uiBusy_ = busy;
  if (busy) return;
  const std::vector<platform::HookEvent> waiting = std::move(waitingHookEvents_);
  waitingHookEvents_.clear();
  for (const platform::HookEvent& event : waiting) {
    const auto hooks = hooks_;
    for (const auto& [id, onEvent] : hooks) onEvent(event);
  }
}

void SimDesktop::UserPress(Point at, int button) {
  RunHooks({platform::HookAction::Press, button, at, 0, nullptr});
  cursor_ = at;
  // The user's own press brings its window to the front.
  Activate(WindowFromPoint(at));
  DeliverButton(FlagsOf(platform::HookAction::Press, button), at);
}

void SimDesktop::UserMove(Point to) {
  RunHooks({platform::HookAction::Move, 0, to, 0, nullptr});
  MoveCursor(to);
}

void SimDesktop::MoveCursor(Point to) {
  if (to == cursor_) return;  // no mouse message, as under Wine
  cursor_ = to;
  const Window* w = Get(WindowFromPoint(to));
  if (w && w->onHover) {
    auto onHover = w->onHover;
    onHover(ScreenToClient(WindowFromPoint(to), to));
  }
}

void SimDesktop::UserRelease(Point at, int button) {
  RunHooks({platform::HookAction::Release, button, at, 0, nullptr});
  cursor_ = at;
  DeliverButton(FlagsOf(platform::HookAction::Release, button), at);
}

void SimDesktop::UserClick(Point at, int button) {
  UserPress(at, button);
  UserRelease(at, button);
}

platform::ScreenImage SimDesktop::CaptureScreen() const {
  platform::ScreenImage image{screenWidth, screenHeight, {}};
  image.rgb.assign(size_t(screenWidth) * screenHeight * 3, 0x3A);
  // Windows back to front as grey boxes, so a picture shows what was open.
  const std::vector<WindowHandle> front = ZOrdered();
  for (auto it = front.rbegin(); it != front.rend(); ++it) {
    const Window& w = windows_.at(*it);
    if (!w.visible) continue;
    for (int y = std::max(w.rect.top, 0); y < std::min(w.rect.top + w.rect.height, screenHeight); ++y) {
      for (int x = std::max(w.rect.left, 0); x < std::min(w.rect.left + w.rect.width, screenWidth); ++x) {
        const size_t i = (size_t(y) * screenWidth + x) * 3;
        image.rgb[i] = image.rgb[i + 1] = image.rgb[i + 2] = 0xD4;
      }
    }
  }
  return image;
}

const SimDesktop::Window* SimDesktop::Get(WindowHandle h) const {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

SimDesktop::Window* SimDesktop::Get(WindowHandle h) {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle SimDesktop::AddWindow(WindowHandle parent, const std::string& className,
                                   const std::string& caption, ScreenRect rect, bool visible) {
  const WindowHandle h = next_;
  next_ += 4;
  Window w;
  w.parent = parent;
  w.className = className;
  w.caption = caption;
  w.rect = rect;
  w.visible = visible;
  if (const Window* p = Get(parent)) w.process = p->process;
  windows_[h] = std::move(w);
  children_[parent].push_back(h);
  positions_[h] = children_[parent].size() - 1;
  RaiseWindowEvent(h);
  if (parent == 0) {
    BringToFront(h);
    // A new program's window takes the foreground, as a setup's first page
    // or a browser opening over it does.
    if (visible) SetForegroundWindow(h);
  }
  return h;
}

WindowHandle SimDesktop::AddOwnedWindow(WindowHandle owner, const std::string& className,
                                        const std::string& caption, ScreenRect rect) {
  const WindowHandle h = AddWindow(0, className, caption, rect);
  Window& w = windows_.at(h);
  w.owner = owner;
  if (const Window* o = Get(owner)) w.process = o->process;
  return h;
}

void SimDesktop::SetProcess(WindowHandle window, int process) {
  if (Window* w = Get(window)) w->process = process;
  for (WindowHandle child : Children(window)) SetProcess(child, process);
}

int SimDesktop::ProcessOf(WindowHandle window) const {
  const Window* w = Get(window);
  return w ? w->process : 0;
}

void SimDesktop::SetButtonKind(WindowHandle window, platform::ButtonKind kind) {
  if (Window* w = Get(window)) w->buttonKind = kind;
}

void SimDesktop::SetHung(WindowHandle window, bool hung) {
  if (Window* w = Get(window)) w->hung = hung;
}

void SimDesktop::RemoveWindow(WindowHandle window) {
  const Window* w = Get(window);
  if (!w) return;
  for (WindowHandle child : Children(window)) RemoveWindow(child);
  std::vector<WindowHandle>& siblings = children_[w->parent];
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(positions_.at(window)));
  for (size_t i = positions_.at(window); i < siblings.size(); ++i) positions_[siblings[i]] = i;
  positions_.erase(window);
  children_.erase(window);
  const WindowHandle owner = w->owner;
  windows_.erase(window);
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
  if (pressed_ == window) pressed_ = 0;
  if (postedPressed_ == window) postedPressed_ = 0;
  // The system activates the owner of a closed box, or else no window.
  if (foreground_ == window) SetForegroundWindow(Get(owner) ? owner : 0);
}

void SimDesktop::SetCaption(WindowHandle window, const std::string& caption) {
  Window* w = Get(window);
  if (!w || w->caption == caption) return;
  w->caption = caption;
  if (!w->quietRenames) RaiseWindowEvent(window);
}

void SimDesktop::SetQuietRenames(WindowHandle window) {
  if (Window* w = Get(window)) w->quietRenames = true;
}

void SimDesktop::RaiseChild(WindowHandle window) {
  Window* w = Get(window);
  if (!w || w->parent == 0) return;
  std::vector<WindowHandle>& siblings = children_[w->parent];
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(positions_.at(window)));
  siblings.insert(siblings.begin(), window);
  for (size_t i = 0; i < siblings.size(); ++i) positions_[siblings[i]] = i;
}

void SimDesktop::MoveWindow(WindowHandle window, ScreenRect rect) {
  Window* w = Get(window);
  if (!w) return;
  const int dx = rect.left - w->rect.left, dy = rect.top - w->rect.top;
  w->rect = rect;
  for (WindowHandle child : Children(window)) {
    ScreenRect r = RectOf(child);
    MoveWindow(child, {r.left + dx, r.top + dy, r.width, r.height});
  }
}

void SimDesktop::SetVisible(WindowHandle window, bool visible) {
  Window* w = Get(window);
  if (!w) return;
  const bool shown = visible && !w->visible;
  w->visible = visible;
  if (shown) RaiseWindowEvent(window);
  if (shown && w->parent == 0) {
    BringToFront(window);
    SetForegroundWindow(window);
  }
  if (!visible && foreground_ == window) SetForegroundWindow(Get(w->owner) ? w->owner : 0);
}

void SimDesktop::SetEnabled(WindowHandle window, bool enabled) {
  Window* w = Get(window);
  if (!w || w->enabled == enabled) return;
  w->enabled = enabled;
  RaiseWindowEvent(window);
}

bool SimDesktop::IsEnabled(WindowHandle window) const {
  const Window* w = Get(window);
  return w && w->enabled;
}

void SimDesktop::SetOnClick(WindowHandle window, std::function<void()> onClick) {
  if (Window* w = Get(window)) w->onClick = std::move(onClick);
}

void SimDesktop::SetOnClickAt(WindowHandle window, std::function<void(Point)> onClick) {
  if (Window* w = Get(window)) w->onClickAt = std::move(onClick);
}

void SimDesktop::SetIgnoresPostedMouse(WindowHandle window) {
  if (Window* w = Get(window)) w->ignoresPostedMouse = true;
}

void SimDesktop::SetOnHover(WindowHandle window, std::function<void(Point)> onHover) {
  if (Window* w = Get(window)) w->onHover = std::move(onHover);
}

void SimDesktop::SetPicturePixel(WindowHandle window, int row, int column, uint64_t picture) {
  Window* w = Get(window);
  if (!w || row < 0 || column < 0 || row >= kPictureSide || column >= kPictureSide) return;
  w->picturePixels[row * kPictureSide + column] = picture;
}

void SimDesktop::SetPicture(WindowHandle window, uint64_t picture) {
  if (Window* w = Get(window)) w->picture = picture;
}

platform::ScreenImage SimDesktop::CaptureClient(WindowHandle window) const {
  const Window* w = Get(window);
  if (!w) return {};
  constexpr int kSide = kPictureSide;  // enough pixels to tell pictures apart
  platform::ScreenImage image{kSide, kSide, std::vector<uint8_t>(kSide * kSide * 3, 0xD4)};
  if (w->picture == 0) return image;
  for (size_t i = 0; i < image.rgb.size(); ++i) {
    // Every pixel shows all of its picture: a picture that changes changes
    // every pixel of it.
    const uint64_t own = w->picturePixels[i / 3];
    uint64_t mixed = (own != 0 ? own : w->picture) * 0x9E3779B97F4A7C15ULL + i * 0xBF58476D1CE4E5B9ULL;
    mixed ^= mixed >> 29;
    image.rgb[i] = static_cast<uint8_t>((mixed * 0x94D049BB133111EBULL) >> 56);
  }
  return image;
}

bool SimDesktop::IsTopmost(WindowHandle window) const {
  const Window* w = Get(window);
  return w && w->topmost;
}

ScreenRect SimDesktop::RectOf(WindowHandle window) const {
  const Window* w = Get(window);
  return w ? w->rect : ScreenRect{};
}

std::vector<WindowHandle> SimDesktop::Children(WindowHandle parent) const {
  auto it = children_.find(parent);
  return it == children_.end() ? std::vector<WindowHandle>{} : it->second;
}

std::vector<WindowHandle> SimDesktop::ZOrdered() const {
  std::vector<WindowHandle> out;
  for (WindowHandle h : zorder_) {
    if (windows_.at(h).topmost) out.push_back(h);
  }
  for (WindowHandle h : zorder_) {
    if (!windows_.at(h).topmost) out.push_back(h);
  }
  return out;
}

void SimDesktop::BringToFront(WindowHandle topLevel) {
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), topLevel), zorder_.end());
  zorder_.insert(zorder_.begin(), topLevel);
  std::vector<WindowHandle> owned;
  for (WindowHandle h : zorder_) {
    if (windows_.at(h).owner == topLevel) owned.push_back(h);
  }
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) BringToFront(*it);
}

void SimDesktop::Activate(WindowHandle window) {
  const WindowHandle root = RootWindow(window);
  if (!Get(root)) return;
  SetForegroundWindow(root);
  if (!windows_.at(root).topmost) BringToFront(root);
}

void SimDesktop::SetForegroundWindow(WindowHandle root) {
  if (foreground_ == root) return;
  foreground_ = root;
  RaiseWindowEvent(root, platform::WindowEvent::Foreground);
}

WindowHandle SimDesktop::FindWindow(WindowHandle parent, WindowHandle after,
                                    const std::string& className,
                                    const std::optional<std::string>& caption) const {
  const WindowHandle realParent = parent == kDesktop ? 0 : parent;
  std::vector<WindowHandle> topLevel;
  if (realParent == 0) topLevel = ZOrdered();
  static const std::vector<WindowHandle> kNone;
  auto childrenOf = children_.find(realParent);
  const std::vector<WindowHandle>& candidates =
      realParent == 0 ? topLevel : childrenOf == children_.end() ? kNone : childrenOf->second;
  size_t start = 0;
  if (after != 0) {
    // Children know their place, as the system's sibling links do.
    auto known = positions_.find(after);
    if (realParent != 0 && known != positions_.end() && Parent(after) == realParent) {
      start = known->second + 1;
    } else {
      auto it = std::find(candidates.begin(), candidates.end(), after);
      if (it == candidates.end()) return 0;
      start = static_cast<size_t>(it - candidates.begin()) + 1;
    }
  }
  for (size_t i = start; i < candidates.size(); ++i) {
    const Window& w = windows_.at(candidates[i]);
    if (!className.empty() && !text::EqualsNoCase(w.className, className)) continue;
    if (caption && w.caption != *caption) continue;
    return candidates[i];
  }
  return 0;
}

WindowHandle SimDesktop::Parent(WindowHandle window) const {
  // GetParent: the owner of an owned top-level window.
  const Window* w = Get(window);
  if (!w) return 0;
  return w->parent != 0 ? w->parent : w->owner;
}

WindowHandle SimDesktop::RootWindow(WindowHandle window) const {
  const Window* w = Get(window);
  while (w && w->parent != 0) {
    window = w->parent;
    w = Get(window);
  }
  return w ? window : 0;
}

bool SimDesktop::IsVisible(WindowHandle window) const {
  for (const Window* w = Get(window); w; w = Get(w->parent)) {
    if (!w->visible) return false;
    if (w->parent == 0) return true;
  }
  return false;
}

bool SimDesktop::IsResponding(WindowHandle window) const {
  const Window* root = Get(RootWindow(window));
  return root && !root->hung;
}

platform::ScreenArea SimDesktop::VirtualScreen() const {
  int left = 0, top = 0, right = screenWidth, bottom = screenHeight;
  for (const ScreenRect& m : otherMonitors) {
    left = std::min(left, m.left);
    top = std::min(top, m.top);
    right = std::max(right, m.left + m.width);
    bottom = std::max(bottom, m.top + m.height);
  }
  return {left, top, right - left, bottom - top};
}

bool SimDesktop::IsWindow(WindowHandle window) const {
  return window == kDesktop || Get(window) != nullptr;
}

int SimDesktop::ControlId(WindowHandle window) const {
  const Window* w = Get(window);
  return w && w->parent != 0 ? w->controlId : 0;
}

void SimDesktop::SetControlId(WindowHandle window, int id) {
  if (Window* w = Get(window)) w->controlId = id;
}

std::string SimDesktop::ClassName(WindowHandle window) const {
  if (window == kDesktop) return "#32769";
  const Window* w = Get(window);
  return w ? w->className : std::string();
}

std::string SimDesktop::WindowText(WindowHandle window) const {
  const Window* w = Get(window);
  return w ? w->caption : std::string();
}

Point SimDesktop::ClientToScreen(WindowHandle window, Point client) const {
  const ScreenRect r = RectOf(window);
  return {r.left + client.x, r.top + client.y};
}

Point SimDesktop::ScreenToClient(WindowHandle window, Point screen) const {
  const ScreenRect r = RectOf(window);
  return {screen.x - r.left, screen.y - r.top};
}

platform::ScreenArea SimDesktop::ClientArea(WindowHandle window) const {
  if (!IsWindow(window)) return {};
  const ScreenRect r = RectOf(window);
  return {r.left, r.top, r.width, r.height};
}

WindowHandle SimDesktop::DeepestChildAt(WindowHandle parent, Point p) const {
  auto children = children_.find(parent);
  if (children == children_.end()) return parent;
  for (WindowHandle child : children->second) {
    const Window& w = windows_.at(child);
    if (w.visible && w.enabled && w.rect.Contains(p)) return DeepestChildAt(child, p);
  }
  return parent;
}

WindowHandle SimDesktop::WindowFromPoint(Point screen) const {
  for (WindowHandle h : ZOrdered()) {
    const Window& w = windows_.at(h);
    if (!w.visible || !w.rect.Contains(screen)) continue;
    // A disabled top-level window takes the point itself, children and all.
    return w.enabled ? DeepestChildAt(h, screen) : h;
  }
  return kDesktop;
}

void SimDesktop::SetCursorPos(Point screen) {
  MoveCursor(screen);
  cursorMoves.push_back(screen);
}

Point SimDesktop::ToPixel(uint32_t flags, int x, int y) const {
  if (!(flags & platform::mouse::kAbsolute)) return {cursor_.x + x, cursor_.y + y};
  // As the system maps them: unit u lands on pixel u * size / 65536, over
  // the primary monitor unless the virtual desk is named.
  const platform::ScreenArea area = (flags & platform::mouse::kVirtualDesk)
                                        ? VirtualScreen()
                                        : platform::ScreenArea{0, 0, screenWidth, screenHeight};
  return {area.left + static_cast<int>(static_cast<long long>(x) * area.width / 65536),
          area.top + static_cast<int>(static_cast<long long>(y) * area.height / 65536)};
}

bool SimDesktop::InjectMouse(uint32_t flags, int x, int y) {
  using namespace platform::mouse;
  if (workstationLocked) {
    ++refusedInjections;
    return false;
  }
  // The flags name physical buttons; swapped, the left one is the right.
  if (buttonsSwapped) flags = SwapLeftAndRight(flags);
  // Only a move takes the cursor along; x and y of a button event alone are
  // ignored, as SendInput does.
  const Point at = (flags & kMove) ? ToPixel(flags, x, y) : cursor_;
  injected.push_back({flags, x, y, at});
  // Injected input passes the low-level hooks too, as on Windows.
  if (flags & kMove) RunHooks({platform::HookAction::Move, 0, at, 0, nullptr});
  if (flags & (kLeftDown | kRightDown | kMiddleDown)) {
    RunHooks({platform::HookAction::Press, ButtonOf(flags), at, 0, nullptr});
  } else if (flags & (kLeftUp | kRightUp | kMiddleUp)) {
    RunHooks({platform::HookAction::Release, ButtonOf(flags), at, 0, nullptr});
  }
  if ((flags & kMove) && !(at == cursor_)) pressedRaised_ = false;
  MoveCursor(at);
  if (flags & (kLeftDown | kRightDown | kMiddleDown)) {
    const WindowHandle root = RootWindow(WindowFromPoint(at));
    const bool activated = root != 0 && root != foreground_;
    Activate(root);
    if (activated || lateActivations > 0) {
      if (!activated) --lateActivations;
      ++cancelledPresses;
      pressed_ = 0;
      return true;  // taken by the system, lost on the way
    }
  }
  if ((flags & (kLeftUp | kRightUp | kMiddleUp)) && pressed_ != 0 && lostReleases > 0) {
    --lostReleases;
    pressed_ = 0;
    return true;
  }
  DeliverButton(flags, at);
  if ((flags & (kLeftDown | kRightDown | kMiddleDown)) && strayMoves > 0 &&
      ButtonKindOf(pressed_) != platform::ButtonKind::None) {
    --strayMoves;
    pressedRaised_ = true;
  }
  return true;
}

bool SimDesktop::WaitButtonPushed(WindowHandle window, bool pushed, int) const {
  const bool isPushed = pressed_ == window && !pressedRaised_ &&
                        ButtonKindOf(window) != platform::ButtonKind::None && IsEnabled(window) &&
                        RectOf(window).Contains(cursor_);
  return isPushed == pushed;
}

platform::ButtonKind SimDesktop::ButtonKindOf(WindowHandle window) const {
  const Window* w = Get(window);
  return w ? w->buttonKind : platform::ButtonKind::None;
}

void SimDesktop::RunClick(WindowHandle window, std::optional<Point> client) {
  Window* w = Get(window);
  if (w && w->buttonKind == platform::ButtonKind::Check) w->check = w->check == 0 ? 1 : 0;
  if (w && w->buttonKind == platform::ButtonKind::Radio) w->check = 1;
  if (w && w->onClickAt && client) {
    auto onClick = w->onClickAt;  // the handler may remove the window
    return onClick(*client);
  }
  if (w && w->onClick) {
    auto onClick = w->onClick;
    onClick();
  }
}

void SimDesktop::Post(WindowHandle window, std::function<void()> deliver) {
  postedQueue_.push_back({window, std::move(deliver)});
}

bool SimDesktop::DeliverPostedMessages() {
  bool delivered = false;
  std::vector<PostedMessage> waiting;
  auto queue = std::move(postedQueue_);
  postedQueue_.clear();
  for (PostedMessage& message : queue) {
    if (!Get(message.window)) continue;  // gone, and its queue with it
    if (!IsResponding(message.window)) {
      waiting.push_back(std::move(message));
      continue;
    }
    message.deliver();
    delivered = true;
  }
  // Messages posted while these were taken come after the ones still waiting.
  waiting.insert(waiting.end(), std::make_move_iterator(postedQueue_.begin()),
                 std::make_move_iterator(postedQueue_.end()));
  postedQueue_ = std::move(waiting);
  return delivered;
}

bool SimDesktop::PostButtonClick(WindowHandle window) {
  if (!Get(window)) return false;
  posted.push_back({window, true, platform::MouseMessage::Down, {}});
  Post(window, [this, window] {
    // Any button's click needs the focus, which a dialog not active does not give.
    if (RootWindow(window) != foreground_) {
      ++ignoredButtonClicks;
      return;
    }
    RunClick(window);
  });
  return true;
}

bool SimDesktop::PostButtonCommand(WindowHandle window) {
  const Window* w = Get(window);
  if (!w || w->parent == 0 || w->buttonKind == platform::ButtonKind::None) return false;
  posted.push_back({window, true, platform::MouseMessage::Up, {}});
  // The dialog is told of a click; the button itself does nothing.
  Post(w->parent, [this, window] {
    const Window* button = Get(window);
    if (button && button->onClick) {
      auto onClick = button->onClick;
      onClick();
    }
  });
  return true;
}

bool SimDesktop::PostButtonCheck(WindowHandle window, int check) {
  if (!Get(window)) return false;
  Post(window, [this, window, check] {
    if (Window* w = Get(window)) w->check = check;
  });
  return true;
}

void SimDesktop::FocusOnPress(WindowHandle window) {
  const Window* w = Get(window);
  if (!w) return;
  std::string name = w->className;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (w->selection || name.find("EDIT") != std::string::npos) focus_ = window;
}

WindowHandle SimDesktop::FocusOf(WindowHandle window) const {
  const Window* w = Get(window);
  const Window* focus = Get(focus_);
  return w && focus && focus->process == w->process ? focus_ : 0;
}

std::optional<long long> SimDesktop::SelectionOf(WindowHandle window) const {
  const Window* w = Get(window);
  if (!w || !IsResponding(window)) return std::nullopt;
  return w->selection;
}

void SimDesktop::SetSelection(WindowHandle window, std::optional<long long> selection) {
  if (Window* w = Get(window)) w->selection = selection;
}

int SimDesktop::CheckState(WindowHandle window) const {
  const Window* w = Get(window);
  return w && IsResponding(window) ? w->check : -1;
}

bool SimDesktop::PostMouse(WindowHandle window, platform::MouseMessage message, int button,
                           Point client) {
  if (!Get(window)) return false;
  posted.push_back({window, false, message, client});
  // The window's procedure sees the messages whatever its state: a left
  // press and release on it click it. One that reads the pointer itself
  // takes no notice of them.
  if (button != 1 || Get(window)->ignoresPostedMouse) return true;
  Post(window, [this, window, message, client] {
    if (message == platform::MouseMessage::Down) {
      postedPressed_ = window;
      FocusOnPress(window);
    }
    if (message == platform::MouseMessage::Up && postedPressed_ == window) {
      postedPressed_ = 0;
      RunClick(window, client);
    }
  });
  return true;
}

void SimDesktop::DeliverButton(uint32_t flags, Point at) {
  using namespace platform::mouse;
  if (flags & (kLeftDown | kRightDown | kMiddleDown)) {
    pressed_ = WindowFromPoint(at);
    pressedRaised_ = false;
    FocusOnPress(pressed_);
  }
  if (flags & kLeftUp) {
    const WindowHandle released = WindowFromPoint(at);
    const bool raised = pressedRaised_;
    pressedRaised_ = false;
    if (released == pressed_ && released != 0 && IsEnabled(released) && !raised) {
      pressed_ = 0;
      RunClick(released, ScreenToClient(released, at));
    }
  }
}

void SimDesktop::SetWindowPos(WindowHandle window, platform::ZOrder order, uint32_t flags) {
  Window* w = Get(window);
  if (!w) return;
  switch (order) {
    case platform::ZOrder::Topmost: w->topmost = true; BringToFront(window); break;
    case platform::ZOrder::NotTopmost:
      w->topmost = false;
      notTopmostCalls.emplace_back(window, flags);
      break;
    case platform::ZOrder::Top:
      if (w->parent != 0) {
        RaiseChild(window);
      } else {
        BringToFront(window);
      }
      break;
    case platform::ZOrder::Bottom:
      zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
      zorder_.push_back(window);
      break;
  }
  if (flags & platform::swp::kShowWindow) w->visible = true;
}

void SimDesktop::SetForeground(WindowHandle window) {
  foregroundCalls.push_back(window);
  // The foreground lock: only the program that owns the foreground (or the
  // last input, which ours never is) may hand it on; the others' taskbar
  // buttons flash.
  const Window* current = Get(foreground_);
  if (current && current->visible && current->process != kOwnProcess) return;
  Activate(window);
}

bool SimDesktop::ForceForeground(WindowHandle window) {
  forceForegroundCalls.push_back(window);
  const WindowHandle root = RootWindow(window);
  if (workstationLocked || foregroundRefused || !IsVisible(root)) return false;
  Activate(root);
  return foreground_ == root;
}

WindowHandle SimDesktop::ForegroundWindow() const { return Get(foreground_) ? foreground_ : 0; }

void SimDesktop::SendSetText(WindowHandle window, const std::string& text) {
  if (!IsResponding(window)) return;  // the send timed out
  if (lostTexts > 0) {
    --lostTexts;
    return;
  }
  SetCaption(window, text);
}

std::string SimDesktop::SendGetText(WindowHandle window, int maxChars) const {
  if (!IsResponding(window)) return {};  // the send timed out
  // The buffer's size counts the terminator: it holds one character less.
  return text::FirstChars(WindowText(window), maxChars < 1 ? 0 : size_t(maxChars - 1));
}

}  // namespace sim
