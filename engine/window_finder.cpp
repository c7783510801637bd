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

// FindWindowEx with class and caption compared in their stored form (the
// class, as by the system, without regard to case).
WindowHandle NextMatch(const platform::Desktop& desktop, const TextForm& form,
                       WindowHandle parent, WindowHandle after, const std::string& className,
                       const std::optional<std::string>& caption,
                       const ProcessFilter& owned = nullptr) {
  const std::string cls = form.Stored(className);
  const std::optional<std::string> cap =
      caption ? std::optional<std::string>(form.Stored(*caption)) : std::nullopt;
  const bool topLevel = parent == 0 || parent == desktop.DesktopWindow();
  for (WindowHandle w = desktop.FindWindow(parent, after, "", std::nullopt); w != 0;
       w = desktop.FindWindow(parent, w, "", std::nullopt)) {
    if (!cls.empty() && !text::EqualsNoCase(form.Stored(desktop.ClassName(w)), cls)) continue;
    if (cap && form.Stored(desktop.WindowText(w)) != *cap) continue;
    if (topLevel && owned && !owned(desktop.ProcessIdOf(w))) continue;
    return w;
  }
  return 0;
}

WindowHandle NthMatch(const platform::Desktop& desktop, const TextForm& form,
                      WindowHandle parent, const std::string& className,
                      const std::optional<std::string>& caption, int n,
                      const ProcessFilter& owned) {
  WindowHandle w = 0;
  for (int k = 1; k <= n; ++k) {
    w = NextMatch(desktop, form, parent, w, className, caption, owned);
    if (w == 0) break;
  }
  return w;
}

}  // namespace

std::string RecordedText(const std::string& s) {
  if (!s.empty() && s.back() == '\0') return s.substr(0, s.size() - 1);
  return s;
}

void DescribeWindow(const platform::Desktop& desktop, const TextForm& form,
                    WindowHandle window, WindowPath& path) {
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
    step.controlId = desktop.ControlId(w);
    step.ordinal = w == desktop.DesktopWindow()
                       ? -1
                       : CountOrdinal(desktop, form, parent, step.className, step.caption, w);
    path.push_back(std::move(step));
  }
}

int CountOrdinal(const platform::Desktop& desktop, const TextForm& form,
                 WindowHandle parent, const std::string& className, const std::string& caption,
                 WindowHandle window) {
  const std::string cls = text::Trim(className).empty() ? std::string() : className;
  const std::optional<std::string> match = MatchText(caption);
  int count = 0;
  for (WindowHandle after = 0;;) {
    const WindowHandle w = NextMatch(desktop, form, parent, after, cls, match);
    // A window that is not among the matches is an owned top-level window
    // (GetParent gave its owner): 0 finds it among the top-level windows,
    // where a count of the owner's like children would find one of them.
    if (w == 0) return 0;
    ++count;
    if (w == window) return count;
    after = w;
  }
}

WindowHandle FindNthWindow(const platform::Desktop& desktop, const TextForm& form,
                           WindowHandle parent, const std::string& className,
                           const std::optional<std::string>& caption, int n) {
  return NthMatch(desktop, form, parent, className, caption, n, nullptr);
}

WindowHandle FindTargetWindow(const platform::Desktop& desktop, const TextForm& form,
                              const WindowPath& path, const ProcessFilter& owned) {
  WindowHandle parent = 0, w = 0;
  for (const script::WindowStep& step : path) {
    const std::string caption = RecordedText(step.caption);
    const std::string className = RecordedText(step.className);
    const std::optional<std::string> match = MatchText(caption);
    if (step.ordinal == -1) {
      w = desktop.DesktopWindow();
    } else if (step.ordinal == 0) {
      w = NextMatch(desktop, form, desktop.DesktopWindow(), 0, className, match, owned);
    } else {
      w = NthMatch(desktop, form, parent, className, match, step.ordinal, owned);
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
    out += "\"" + RecordedText(step.className) + "\" \"" +
           RecordedText(step.caption) + "\" " + std::to_string(step.ordinal);
  }
  return out;
}

}  // namespace engine
