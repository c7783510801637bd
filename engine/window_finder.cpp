#include "engine/window_finder.h"

#include <algorithm>

#include "platform/text.h"

namespace engine {
namespace {

using platform::WindowHandle;

// Deeper than any real window tree; ends the walk should a tree ever loop.
constexpr int kMaxDepth = 256;

// Empty (after trimming spaces) means "any", as a null string does for
// FindWindowEx.
std::optional<std::string> MatchText(const std::string& s) {
  if (text::Trim(s).empty()) return std::nullopt;
  return s;
}

// A text stored with length 0 may read back as a single NUL.
std::string WithoutTrailingNul(std::string s) {
  if (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

}  // namespace

void DescribeWindow(const platform::Desktop& desktop, WindowHandle window, WindowPath& path) {
  std::vector<WindowHandle> chain;  // the window, then its ancestors
  for (WindowHandle w = window; w != 0 && int(chain.size()) < kMaxDepth;
       w = desktop.Parent(w)) {
    chain.push_back(w);
  }
  for (size_t i = chain.size(); i-- > 0;) {
    const WindowHandle w = chain[i];
    const WindowHandle parent = i + 1 < chain.size() ? chain[i + 1] : 0;
    script::WindowStep step;
    step.caption = text::FirstChars(desktop.WindowText(w), kMaxStepText);
    step.className = text::FirstChars(desktop.ClassName(w), kMaxStepText);
    step.ordinal = w == desktop.DesktopWindow()
                       ? -1
                       : CountOrdinal(desktop, parent, step.className, step.caption, w);
    path.push_back(std::move(step));
  }
}

int CountOrdinal(const platform::Desktop& desktop, WindowHandle parent,
                 const std::string& className, const std::string& caption, WindowHandle window) {
  const std::string cls = text::Trim(className).empty() ? std::string() : className;
  const std::optional<std::string> match = MatchText(caption);
  int count = 0;
  for (WindowHandle after = 0;;) {
    const WindowHandle w = desktop.FindWindow(parent, after, cls, match);
    // A window that is not among the matches is an owned top-level window
    // (GetParent gave its owner): 0 finds it among the top-level windows,
    // where a count of the owner's like children would find one of them.
    if (w == 0) return 0;
    ++count;
    if (w == window) return count;
    after = w;
  }
}

WindowHandle FindNthWindow(const platform::Desktop& desktop, WindowHandle parent,
                           const std::string& className, const std::optional<std::string>& caption,
                           int n) {
  WindowHandle w = 0;
  for (int k = 1; k <= n; ++k) {
    w = desktop.FindWindow(parent, w, className, caption);
    if (w == 0) break;
  }
  return w;
}

WindowHandle FindTargetWindow(const platform::Desktop& desktop, const WindowPath& path) {
  WindowHandle parent = 0, w = 0;
  for (const script::WindowStep& step : path) {
    const std::string caption = WithoutTrailingNul(step.caption);
    const std::string className = WithoutTrailingNul(step.className);
    const std::optional<std::string> match = MatchText(caption);
    if (step.ordinal == -1) {
      w = desktop.DesktopWindow();
    } else if (step.ordinal == 0) {
      w = desktop.FindWindow(desktop.DesktopWindow(), 0, className, match);
    } else {
      w = FindNthWindow(desktop, parent, className, match, step.ordinal);
    }
    if (w == 0) return 0;
    parent = w;
  }
  return w;
}

std::string DescribePath(const WindowPath& path) {
  std::string out;
  for (const script::WindowStep& step : path) {
    if (!out.empty()) out += " > ";
    out += "\"" + WithoutTrailingNul(step.className) + "\" \"" +
           WithoutTrailingNul(step.caption) + "\" " + std::to_string(step.ordinal);
  }
  return out;
}

}  // namespace engine
