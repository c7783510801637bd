#pragma once
// How fast a run goes: the step timer's interval at each speed and the waits
// that follow from it. Pure rules: nothing here looks at the desktop.
namespace engine {

namespace speed {
constexpr int kFast = 0, kMedium = 1, kSlow = 2;
constexpr int kIntervals[] = {100, 250, 500};  // fast, medium, slow
constexpr int kSearchInterval = 500;
constexpr int kMissesBeforeSlowSearch = 10;
// At the fast speed a window event runs the step this soon, so that a burst
// of events (a page being built) makes one step.
constexpr int kReactDelay = 10;
// A block's window not found as recorded this long is looked for by
// likeness; a slower speed gives a slow wizard longer.
constexpr long long kLikenessDelaysMs[] = {2000, 3000, 4000};
// A window that draws its own controls is pressed once its picture has been
// still this long, or once it has been looked at kMaxStillWaitMs (a window
// that never settles).
constexpr long long kStillMs = 100;
constexpr long long kMaxStillWaitMs = 3000;
}  // namespace speed

namespace pacing {

// A stored speed outside 0..2 is the slow one.
inline int ValidSpeed(long long stored) {
  return stored >= speed::kFast && stored <= speed::kSlow ? static_cast<int>(stored) : speed::kSlow;
}
inline int StepInterval(int speedIndex) { return speed::kIntervals[ValidSpeed(speedIndex)]; }
inline long long LikenessDelayMs(int speedIndex) {
  return speed::kLikenessDelaysMs[ValidSpeed(speedIndex)];
}
// Only the fast speed answers window events (and watches a button's click
// for its effect): the slower ones are paced by their timer alone.
inline bool ReactsToEvents(int speedIndex) { return speedIndex == speed::kFast; }

// Ticks of quiet after a block, and between two rounds of bringing a covered
// window forward; rounds of at most kForegroundAttempts tries.
constexpr int kQuietTicksAfterBlock = 3;
constexpr int kQuietTicksBetweenAttempts = 13;
constexpr int kForegroundAttempts = 3;
// A block whose press was lost this often is played by window messages.
constexpr int kLostPressesBeforeMessages = 2;

}  // namespace pacing
}  // namespace engine
