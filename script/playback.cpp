#include "script/playback.h"

#include <algorithm>
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
// A setup that takes no input this long after its start gets the first
// block anyway (a bootstrapper's window comes from a child process).
constexpr int kInputIdleWaitMs = 5000;
// Deeper than any real window tree; ends the walk should a tree ever loop.
constexpr int kMaxWindowDepth = 256;

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

// One absolute mouse event at a screen pixel, then the message queue runs once.
// The position travels with every event, buttons included: a button event
// without the move flag happens wherever the cursor is, and a SetCursorPos
// just before may not have taken effect yet (under Wine it often has not).
void Inject(app::App& app, uint32_t flags, Point pixel) {
  platform::Desktop& desktop = app.platform.desktop;
  const platform::System& system = app.platform.system;
  desktop.InjectMouse(flags | platform::mouse::kMove | platform::mouse::kAbsolute,
                      AbsoluteCoordinate(pixel.x, system.ScreenWidth()),
                      AbsoluteCoordinate(pixel.y, system.ScreenHeight()));
  desktop.PumpMessages();
}

// The press of a gesture: false when `target` is not the window at the press
// point.
bool ReplayPress(app::App& app, WindowHandle target, const MouseEvent& event, uint32_t flag) {
  platform::Desktop& desktop = app.platform.desktop;
  const Point pressPoint = desktop.ClientToScreen(target, {event.x, event.y});
  const WindowHandle atPoint = desktop.WindowFromPoint(pressPoint);
  if (atPoint != target) {
    if (IsControlBarWindow(app, atPoint)) {
      desktop.SetWindowPos(BarWindow(app), platform::ZOrder::NotTopmost, platform::swp::kZOrderOnly);
    }
    return false;
  }
  app.pressPoint = pressPoint;
  desktop.SetCursorPos(pressPoint);
  Inject(app, flag, pressPoint);
  app.lastTargetWindow = target;
  return true;
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

bool StartScript(app::App& app, const std::string& path, StartFailure* why) {
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
  if (!launched.started) return fail(StartFailure::LaunchFailed);
  app.setupProcess = std::move(launched.process);
  // A click that reaches a wizard before it reads its input can be lost.
  if (app.setupProcess) app.setupProcess->WaitForInputIdle(kInputIdleWaitMs);
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
  return app.platform.shell.Launch(request);
}

bool ReplayBlockEvents(app::App& app, WindowHandle target) {
  // A copy: the message queue runs between events and may start another block.
  const std::vector<MouseEvent> events = app.script.block.mouseEvents;
  if (events.size() < 2) return true;
  platform::Desktop& desktop = app.platform.desktop;
  bool pressed = false;  // the last press was played
  for (const MouseEvent& event : events) {
    if (event.action == action::kPress) {
      const uint32_t flag = DownFlag(event.button);
      pressed = flag != 0;
      if (pressed && !ReplayPress(app, target, event, flag)) return false;
    } else if (!pressed) {
      continue;  // a move or release belongs to a played press before it
    } else if (event.action == action::kMove) {
      Inject(app, platform::mouse::kMove, OffsetFromPress(app, event));
    } else if (event.action == action::kRelease) {
      const uint32_t flag = UpFlag(event.button);
      if (flag == 0) continue;
      const Point point = OffsetFromPress(app, event);
      desktop.SetCursorPos(point);
      Inject(app, flag, point);
    }
  }
  // Only a covered target is worth a retry; a gesture without a playable
  // press is done, or the player would wait for it for ever.
  return true;
}

void PutBlockText(app::App& app, WindowHandle target) {
  app.platform.desktop.SetForeground(target);
  app.platform.desktop.SendSetText(target, app.script.block.blockText);
}

std::string ReadWindowText(const app::App& app, WindowHandle window) {
  return app.platform.desktop.SendGetText(window, kMaxWindowText);
}

bool IsEditWindow(const app::App& app, WindowHandle window) {
  const std::string className = app.platform.desktop.ClassName(window);
  return text::FoldCase(className).find("EDIT") != std::string::npos;
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
