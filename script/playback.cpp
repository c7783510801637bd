#include "script/playback.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/statistics.h"
#include "platform/text.h"
#include "script/control_bar_link.h"

namespace script {
namespace {

using platform::Point;
using platform::WindowHandle;

constexpr int kMaxWindowText = 255;
// Deeper than any real window tree; ends the walk should a tree ever loop.
constexpr int kMaxWindowDepth = 256;
// How long a button may take to show a press or a release that was injected
// into it. Its thread answered just before, so this is seldom more than a few
// milliseconds; a press not shown by then was lost on the way.
constexpr int kButtonResponseMs = 1000;
// A pressed button that shows itself raised this long is given a move on it,
// as often as fits into kButtonResponseMs.
constexpr int kMoveBackAfterMs = 40;

// Mouse flags of a recorded button; 0 for a value no button has.
uint32_t DownFlag(int16_t button) {
  switch (button) {
    case button::kLeft:
      return platform::mouse::kLeftDown;
    case button::kRight:
      return platform::mouse::kRightDown;
    case button::kMiddle:
      return platform::mouse::kMiddleDown;
    default:
      return 0;
  }
}

uint32_t UpFlag(int16_t button) {
  switch (button) {
    case button::kLeft:
      return platform::mouse::kLeftUp;
    case button::kRight:
      return platform::mouse::kRightUp;
    case button::kMiddle:
      return platform::mouse::kMiddleUp;
    default:
      return 0;
  }
}

void FailStart(app::App& app) {
  if (app.controlBar) {
    app.controlBar->StopStepTimer();
    app.controlBar->StartAdvanceTimer();
  }
  app.statistics.EndStatEntry(dialogs::stat_result::kNotStarted);
}

WindowHandle BarWindow(const app::App& app) {
  return app.controlBar ? app.controlBar->BarWindow() : 0;
}

// The flags name physical buttons: with the buttons swapped in the system's
// settings, the recorded left button is the physical right one.
uint32_t PhysicalButtons(const platform::Desktop& desktop, uint32_t flags) {
  return desktop.ButtonsSwapped() ? platform::mouse::SwapLeftAndRight(flags) : flags;
}

// One absolute mouse event at a screen pixel, then the message queue runs once;
// false when the system refused it. The coordinates span every monitor, so a
// window left of or above the primary one is pressed where it is. The
// position travels with every event, buttons included: a button event
// without the move flag happens wherever the cursor is, and a SetCursorPos
// just before may not have taken effect yet (under Wine it often has not).
bool Inject(app::App& app, uint32_t flags, Point pixel) {
  using namespace platform::mouse;
  platform::Desktop& desktop = app.platform.desktop;
  const platform::ScreenArea screen = desktop.VirtualScreen();
  const bool taken = desktop.InjectMouse(
      PhysicalButtons(desktop, flags) | kMove | kAbsolute | kVirtualDesk,
      AbsoluteCoordinate(pixel.x - screen.left, screen.width),
      AbsoluteCoordinate(pixel.y - screen.top, screen.height));
  desktop.PumpMessages();
  return taken;
}

enum class PressResult { Injected, Covered, Refused };

// The press of a gesture: Covered when `target` is not the window at the press
// point; a control bar in the way is moved aside first.
PressResult ReplayPress(app::App& app, WindowHandle target, const MouseEvent& event,
                        uint32_t flag) {
  platform::Desktop& desktop = app.platform.desktop;
  const Point pressPoint = desktop.ClientToScreen(target, {event.x, event.y});
  WindowHandle atPoint = desktop.WindowFromPoint(pressPoint);
  if (atPoint != target && IsControlBarWindow(app, atPoint)) {
    // Out of the top-most band the bar would still lie above the target.
    app.controlBar->MoveAwayFrom(pressPoint);
    atPoint = desktop.WindowFromPoint(pressPoint);
  }
  if (atPoint != target) return PressResult::Covered;
  app.pressPoint = pressPoint;
  desktop.SetCursorPos(pressPoint);
  if (!Inject(app, flag, pressPoint)) return PressResult::Refused;
  app.lastTargetWindow = target;
  return PressResult::Injected;
}

// The folder a program starts in: its own, as a user starting it from
// Explorer gets (old setups open their files by relative name). A drive
// root keeps its backslash: "C:" alone is the drive's current folder.
std::string ProgramFolderOf(const std::string& program) {
  std::string folder = app::FolderOfPath(program);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

Point OffsetFromPress(const app::App& app, const MouseEvent& event) {
  return {app.pressPoint.x + event.x, app.pressPoint.y + event.y};
}

// A point one pixel beside `point` that is still on `target`.
Point BesideOnWindow(const platform::Desktop& desktop, WindowHandle target, Point point) {
  for (const Point beside : {Point{point.x + 1, point.y}, Point{point.x - 1, point.y},
                             Point{point.x, point.y + 1}, Point{point.x, point.y - 1}}) {
    if (desktop.WindowFromPoint(beside) == target) return beside;
  }
  return point;
}

// Whether the button shows the press it was given. A button that holds the
// press shows itself raised when a mouse message puts the pointer off it;
// under Wine the pointer motion of an earlier warp can come after the press
// and do that, and a release then clicks nothing. A move on the button gives
// it its pushed state back: one pixel aside and back, since a move to where
// the cursor already is makes no mouse message.
bool ButtonShowsPress(app::App& app, WindowHandle target, Point pointer) {
  const platform::Desktop& desktop = app.platform.desktop;
  for (int waited = 0; waited < kButtonResponseMs; waited += kMoveBackAfterMs) {
    if (desktop.WaitButtonPushed(target, true, kMoveBackAfterMs)) return true;
    Inject(app, platform::mouse::kMove, BesideOnWindow(desktop, target, pointer));
    Inject(app, platform::mouse::kMove, pointer);
  }
  return false;
}

}  // namespace

bool IsPlainClick(const std::vector<MouseEvent>& events) {
  constexpr int kClickSlop = 4;
  int presses = 0;
  for (const MouseEvent& e : events) {
    if (e.action == action::kPress) ++presses;
    if (e.action == action::kPress && e.button != button::kLeft) return false;
    if (e.action == action::kRelease && (std::abs(e.x) > kClickSlop || std::abs(e.y) > kClickSlop)) {
      return false;
    }
  }
  return presses == 1;
}

namespace {

// The gesture as window messages, for a desktop that takes no injected input:
// a click on a button, check box or radio button is the button's own click;
// anything else is posted as mouse messages at the target's client points.
void PostGesture(app::App& app, WindowHandle target, const std::vector<MouseEvent>& events) {
  platform::Desktop& desktop = app.platform.desktop;
  app.lastTargetWindow = target;
  if (desktop.ButtonKindOf(target) != platform::ButtonKind::None && IsPlainClick(events)) {
    desktop.PostButtonClick(target);
    desktop.PumpMessages();
    return;
  }
  Point press;
  int pressed = 0;  // the button of the last press, 0 before any
  for (const MouseEvent& e : events) {
    if (e.action == action::kPress && DownFlag(e.button) != 0) {
      press = {e.x, e.y};
      pressed = e.button;
      desktop.PostMouse(target, platform::MouseMessage::Down, pressed, press);
    } else if (pressed != 0 && e.action == action::kMove) {
      desktop.PostMouse(target, platform::MouseMessage::Move, pressed, {press.x + e.x, press.y + e.y});
    } else if (pressed != 0 && e.action == action::kRelease && UpFlag(e.button) != 0) {
      desktop.PostMouse(target, platform::MouseMessage::Up, e.button, {press.x + e.x, press.y + e.y});
    }
  }
  desktop.PumpMessages();
}

// A release away from a button whose press did not show: should the press
// still arrive, the button lets it go without a click.
void ReleaseOffTarget(app::App& app, WindowHandle target, uint32_t upFlag) {
  const Point corner = app.platform.desktop.ClientToScreen(target, {0, 0});
  Inject(app, upFlag, {corner.x - 2, corner.y - 2});
}

// The button has let the press go (it clicks as it does) and its thread has
// finished what the click started, or is waiting in a dialog it opened.
bool ButtonHasActed(const platform::Desktop& desktop, WindowHandle target) {
  if (!desktop.WaitButtonPushed(target, false, kButtonResponseMs)) return false;
  return desktop.IsResponding(desktop.RootWindow(target));
}

}  // namespace

int MouseScaleFactor(int screenPixels) {
  constexpr int kAbsoluteRange = 65535;
  if (screenPixels <= 0) return 0;
  const int quotient = kAbsoluteRange / screenPixels;
  const int twiceRemainder = 2 * (kAbsoluteRange % screenPixels);
  if (twiceRemainder > screenPixels) return quotient + 1;
  if (twiceRemainder == screenPixels) return quotient + quotient % 2;
  return quotient;
}

int AbsoluteCoordinate(int pixel, int screenPixels) {
  constexpr long long kUnits = 65536;  // the system maps unit u to pixel u * size / 65536
  if (screenPixels <= 0) return 0;
  const long long units = (pixel * kUnits + screenPixels - 1) / screenPixels;
  return static_cast<int>(std::clamp<long long>(units, 0, kUnits - 1));
}

bool StartScript(app::App& app, const std::string& path, StartFailure* why,
                 unsigned long* launchError) {
  const platform::FileSystem& files = app.platform.files;
  ScriptBuffer& script = app.script;
  const auto fail = [&](StartFailure failure) {
    if (why) *why = failure;
    FailStart(app);
    return false;
  };
  if (!app::PathExists(files, path)) return fail(StartFailure::ScriptMissing);
  if (!script.LoadPlainScript(files, path)) return fail(StartFailure::ScriptDamaged);
  if (!script.IsVersionSupported()) return fail(StartFailure::VersionUnsupported);
  const std::string program = app.Expand(script.ReadProgramPath());
  if (!app::PathExists(files, program)) return fail(StartFailure::ProgramMissing);
  app.pendingPackage.parameters = script.ReadParameters();
  platform::Launched launched = LaunchProgram(app, program, app.pendingPackage.parameters);
  if (!launched.started) {
    if (launchError) *launchError = launched.error;
    return fail(StartFailure::LaunchFailed);
  }
  // No wait for the setup to take input: a loader never does, and the first
  // block waits for its window, ready and answering, as every block does.
  app.setupProcess = std::move(launched.process);
  if (why) *why = StartFailure::None;
  script.RewindBlocks();
  // A text the previous script did not get to put belongs to that script.
  script.block = {};
  if (app.controlBar) app.controlBar->NextDo();
  return true;
}

platform::Launched LaunchProgram(app::App& app, const std::string& program,
                                 const std::string& parameters) {
  if (program.empty()) return {};
  namespace see = platform::see;
  platform::LaunchRequest request;
  request.owner = BarWindow(app);
  request.file = program;
  request.parameters = parameters;
  request.directory = ProgramFolderOf(program);
  // A security warning or an error box would wait inside a timer tick for a
  // user whom an unattended run does not have.
  request.mask = see::kNoCloseProcess | see::kNoZoneChecks | see::kFlagNoUi;
  return app.platform.shell.LaunchFollowed(request);
}

Gesture PlayBlockGesture(app::App& app, WindowHandle target, bool byMessages) {
  // A copy: the message queue runs between events and may start another block.
  const std::vector<MouseEvent> events = app.script.block.mouseEvents;
  return PlayGesture(app, target, events, byMessages);
}

Gesture PlayGesture(app::App& app, WindowHandle target, const std::vector<MouseEvent>& events,
                    bool byMessages) {
  if (events.size() < 2) return Gesture::Played;
  if (byMessages) {
    PostGesture(app, target, events);
    return Gesture::PlayedByMessages;
  }
  platform::Desktop& desktop = app.platform.desktop;
  // A button shows whether it holds the press (its pushed state).
  const bool buttonClick =
      desktop.ButtonKindOf(target) != platform::ButtonKind::None && IsPlainClick(events);
  bool pressed = false;  // the last press was played
  for (const MouseEvent& event : events) {
    if (event.action == action::kPress) {
      const uint32_t flag = DownFlag(event.button);
      pressed = flag != 0;
      if (!pressed) continue;
      const PressResult press = ReplayPress(app, target, event, flag);
      if (press == PressResult::Covered) return Gesture::Covered;
      if (press == PressResult::Refused) {
        // Nothing of the gesture arrived (a locked workstation, the secure
        // desktop): the window's messages still reach it.
        PostGesture(app, target, events);
        return Gesture::PlayedByMessages;
      }
    } else if (!pressed) {
      continue;  // a move or release belongs to a played press before it
    } else if (event.action == action::kMove) {
      Inject(app, platform::mouse::kMove, OffsetFromPress(app, event));
    } else if (event.action == action::kRelease) {
      const uint32_t flag = UpFlag(event.button);
      if (flag == 0) continue;
      const Point point = OffsetFromPress(app, event);
      if (buttonClick && !ButtonShowsPress(app, target, point)) {
        ReleaseOffTarget(app, target, flag);
        return Gesture::Lost;
      }
      desktop.SetCursorPos(point);
      if (!Inject(app, flag, point)) {
        // The press went in but the release did not: release it by message.
        const Point client = desktop.ScreenToClient(target, point);
        desktop.PostMouse(target, platform::MouseMessage::Up, event.button, client);
        return Gesture::PlayedByMessages;
      }
      if (buttonClick && ButtonHasActed(desktop, target)) return Gesture::Taken;
    }
  }
  // Only a covered target is worth a retry; a gesture without a playable
  // press is done, or the player would wait for it for ever.
  return Gesture::Played;
}

bool ReplayBlockEvents(app::App& app, WindowHandle target) {
  return PlayBlockGesture(app, target, /*byMessages=*/false) != Gesture::Covered;
}

void PutBlockText(app::App& app, WindowHandle target) {
  app.platform.desktop.SendSetText(target, app.script.block.blockText);
}

std::string ReadWindowText(const app::App& app, WindowHandle window) {
  return app.platform.desktop.SendGetText(window, kMaxWindowText);
}

bool IsEditClass(const std::string& className) {
  return text::FoldCase(className).find("EDIT") != std::string::npos;
}

bool IsEditWindow(const app::App& app, WindowHandle window) {
  return IsEditClass(app.platform.desktop.ClassName(window));
}

bool IsControlBarWindow(const app::App& app, WindowHandle window) {
  const WindowHandle bar = BarWindow(app);
  if (bar == 0) return false;
  for (int depth = 0; window != 0 && depth < kMaxWindowDepth; ++depth) {
    if (window == bar) return true;
    window = app.platform.desktop.Parent(window);
  }
  return false;
}

}  // namespace script
