#include "platform/sim/sim_desktop.h"

#include <algorithm>

#include "platform/text.h"

namespace sim {

using platform::Point;
using platform::WindowHandle;

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
  windows_[h] = Window{parent, className, caption, rect, visible, true, false, {}};
  order_.push_back(h);
  if (parent == 0) BringToFront(h);
  return h;
}

void SimDesktop::RemoveWindow(WindowHandle window) {
  for (WindowHandle child : Children(window)) RemoveWindow(child);
  windows_.erase(window);
  order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
  if (pressed_ == window) pressed_ = 0;
}

void SimDesktop::SetCaption(WindowHandle window, const std::string& caption) {
  if (Window* w = Get(window)) w->caption = caption;
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
  if (Window* w = Get(window)) w->visible = visible;
}

void SimDesktop::SetEnabled(WindowHandle window, bool enabled) {
  if (Window* w = Get(window)) w->enabled = enabled;
}

bool SimDesktop::IsEnabled(WindowHandle window) const {
  const Window* w = Get(window);
  return w && w->enabled;
}

void SimDesktop::SetOnClick(WindowHandle window, std::function<void()> onClick) {
  if (Window* w = Get(window)) w->onClick = std::move(onClick);
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
  std::vector<WindowHandle> out;
  for (WindowHandle h : order_) {
    if (windows_.at(h).parent == parent) out.push_back(h);
  }
  return out;
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
}

WindowHandle SimDesktop::FindWindow(WindowHandle parent, WindowHandle after,
                                    const std::string& className,
                                    const std::optional<std::string>& caption) const {
  const WindowHandle realParent = parent == kDesktop ? 0 : parent;
  const std::vector<WindowHandle> candidates = realParent == 0 ? ZOrdered() : Children(realParent);
  auto it = candidates.begin();
  if (after != 0) {
    it = std::find(candidates.begin(), candidates.end(), after);
    if (it == candidates.end()) return 0;
    ++it;
  }
  for (; it != candidates.end(); ++it) {
    const Window& w = windows_.at(*it);
    if (!className.empty() && !text::EqualsNoCase(w.className, className)) continue;
    if (caption && w.caption != *caption) continue;
    return *it;
  }
  return 0;
}

WindowHandle SimDesktop::Parent(WindowHandle window) const {
  const Window* w = Get(window);
  return w ? w->parent : 0;
}

bool SimDesktop::IsWindow(WindowHandle window) const {
  return window == kDesktop || Get(window) != nullptr;
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

WindowHandle SimDesktop::DeepestChildAt(WindowHandle parent, Point p) const {
  std::vector<WindowHandle> children = Children(parent);
  for (WindowHandle child : children) {
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
  cursor_ = screen;
  cursorMoves.push_back(screen);
}

Point SimDesktop::ToPixel(uint32_t flags, int x, int y) const {
  if (!(flags & platform::mouse::kAbsolute)) return {cursor_.x + x, cursor_.y + y};
  // As the system maps them: unit u lands on pixel u * size / 65536.
  return {static_cast<int>(static_cast<long long>(x) * screenWidth / 65536),
          static_cast<int>(static_cast<long long>(y) * screenHeight / 65536)};
}

void SimDesktop::InjectMouse(uint32_t flags, int x, int y) {
  using namespace platform::mouse;
  // Only a move takes the cursor along; x and y of a button event alone are
  // ignored, as SendInput does.
  if (flags & kMove) cursor_ = ToPixel(flags, x, y);
  const Point at = cursor_;
  injected.push_back({flags, x, y, at});
  if (flags & (kLeftDown | kRightDown | kMiddleDown)) pressed_ = WindowFromPoint(at);
  if (flags & kLeftUp) {
    const WindowHandle released = WindowFromPoint(at);
    if (released == pressed_ && released != 0 && IsEnabled(released)) {
      pressed_ = 0;
      const Window* w = Get(released);
      if (w && w->onClick) {
        auto onClick = w->onClick;  // the handler may remove the window
        onClick();
      }
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
    case platform::ZOrder::Top: BringToFront(window); break;
    case platform::ZOrder::Bottom:
      zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), window), zorder_.end());
      zorder_.push_back(window);
      break;
  }
  if (flags & platform::swp::kShowWindow) w->visible = true;
}

void SimDesktop::SetForeground(WindowHandle window) {
  foregroundCalls.push_back(window);
  WindowHandle top = window;
  while (Get(top) && Get(top)->parent != 0) top = Get(top)->parent;
  if (Get(top)) BringToFront(top);
}

void SimDesktop::SendSetText(WindowHandle window, const std::string& text) {
  SetCaption(window, text);
}

std::string SimDesktop::SendGetText(WindowHandle window, int maxChars) const {
  // The buffer's size counts the terminator: it holds one character less.
  return text::FirstChars(WindowText(window), maxChars < 1 ? 0 : size_t(maxChars - 1));
}

}  // namespace sim
