#pragma once
// Finding a window again on a later run, when every handle is different: a
// live window becomes a window path (the chain of windows from the outermost
// ancestor down to it, each by class, caption and ordinal among like
// siblings), and a recorded path resolves to a live window again.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/system.h"
#include "script/ovs_script.h"

namespace engine {

using WindowPath = std::vector<script::WindowStep>;

// Class names and captions are read into buffers of 255 characters.
constexpr size_t kMaxStepText = 254;

// Class names and captions are compared as the script stores them, in its
// code page (the system's while recording): a caption with characters the
// code page lacks is found again although the script holds it changed.
struct TextForm {
  TextForm(const platform::System& s) : system(s), codePage(s.AnsiCodePage()) {}  // NOLINT
  TextForm(const platform::System& s, unsigned page) : system(s), codePage(page) {}
  std::string Stored(const std::string& text) const { return system.AsStoredIn(text, codePage); }
  const platform::System& system;
  unsigned codePage;
};
// A recorded class name or caption as it is compared: a text stored with
// length 0 may read back as a single NUL, which is dropped.
std::string RecordedText(const std::string& s);

// Appends the window's ancestors (outermost first) and the window itself.
void DescribeWindow(const platform::Desktop& desktop, const TextForm& form,
                    platform::WindowHandle window, WindowPath& path);
// The 1-based position of `window` among the children of `parent` with this
// class and caption; 0 when it is not among them.
int CountOrdinal(const platform::Desktop& desktop, const TextForm& form,
                 platform::WindowHandle parent, const std::string& className,
                 const std::string& caption, platform::WindowHandle window);
// Says whether a top-level window's process may be searched; none: any.
using ProcessFilter = std::function<bool(unsigned)>;
// The window the path leads to now; 0 when any level is missing. With
// `owned`, top-level windows of other processes are passed over, and
// ordinals count only the others.
platform::WindowHandle FindTargetWindow(const platform::Desktop& desktop,
                                        const TextForm& form, const WindowPath& path,
                                        const ProcessFilter& owned = nullptr);
// The n-th child of `parent` with this class and caption (no caption = any); 0
// when there are fewer than n or n < 1.
platform::WindowHandle FindNthWindow(const platform::Desktop& desktop,
                                     const TextForm& form,
                                     platform::WindowHandle parent, const std::string& className,
                                     const std::optional<std::string>& caption, int n);

// `"#32770" "Setup " 1 > "Button" "&Next >" 1`: a path as a person reads it.
std::string DescribePath(const WindowPath& path);

}  // namespace engine
