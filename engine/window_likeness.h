#pragma once
// Finding a window again on a setup's next version, when its recorded path
// leads nowhere: the version moved on in the captions, the toolkit put a new
// run or build number into the class names, a page gained a control. Only
// the setup's own windows are looked at, and a window is taken only when it
// stands out clearly from every other: two equally likely windows mean no
// press at all, as a wrong press is worse than a missed one.
//
// The rules, level by level from the top-level window down:
// - class names equal (without regard to case), or equal once run- and
//   build-specific parts are set aside: GUIDs, bracketed parts, groups of
//   hex digits with a digit among them, and digits; names of system classes
//   ("#32770") are never changed;
// - captions equal (an empty recorded caption matches any), or equal once
//   version numbers, accelerator marks, repeated and surrounding spaces and
//   letter case are set aside; for the windows that hold the pressed one,
//   also a caption that is close enough: at least kSimilarCaption alike by
//   edit distance (1 - changes / length of the longer), both at least
//   kMinSimilarLength characters;
// - the window at the recorded ordinal among its like siblings is preferred;
//   when there are fewer of them now, any of them may be it;
// - a path that stores control IDs (a script recorded on another Windows
//   language shows every caption in its own) also takes, caption aside, the
//   setup's one shown top-level window of the recorded class, and below it
//   a child with the recorded class and control ID;
// - the window must be shown, and the pressed one must hold the press point.
// Each way of matching scores, and the path of the highest score is taken
// when it beats every other by at least kClearMargin and its window is
// enabled.
#include <functional>
#include <string>

#include "engine/window_finder.h"

namespace engine {

constexpr double kSimilarCaption = 0.75;
constexpr size_t kMinSimilarLength = 4;
constexpr int kClearMargin = 10;  // of scores in tenths

// The caption without version numbers ("2.4", "10.0.19041", "v7", "2.4b1"),
// accelerator marks, repeated or surrounding spaces, in upper case.
std::string CaptionWithoutVersion(const std::string& caption);
// The version number the caption carries; empty when none.
std::string VersionNumberIn(const std::string& caption);
// The class name without GUIDs, bracketed parts and digits, in upper case.
std::string ClassWithoutRunParts(const std::string& className);
// 1 for equal texts, down to 0 for texts that share nothing, by the edit
// distance between their characters.
double Similarity(const std::string& a, const std::string& b);

struct LikelyWindow {
  platform::WindowHandle window = 0;  // 0: none stands out
  std::string why;                    // how it differs from the recorded path
};

// The setup's window that `path` most likely means now. `ownedBySetup` says
// whether a process id is the setup's; `press` is the press point in the
// pressed window's client area.
LikelyWindow FindLikelyWindow(const platform::Desktop& desktop, const TextForm& form,
                              const WindowPath& path,
                              const std::function<bool(unsigned)>& ownedBySetup,
                              platform::Point press);

}  // namespace engine
