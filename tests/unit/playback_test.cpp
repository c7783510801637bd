#include "script/playback.h"

#include <gtest/gtest.h>

#include "app/macros.h"
#include "fake_wizard.h"
#include "script/control_bar_link.h"
#include "sim_test_support.h"

namespace {

using platform::Point;
using platform::WindowHandle;
using script::MouseEvent;
namespace mouse = platform::mouse;
namespace act = script::action;

constexpr int16_t kLeft = script::button::kLeft;

// The control bar as the playback operations see it: a strip with a label
// that has a picture button inside.
class FakeBar : public script::ControlBarLink {
 public:
  explicit FakeBar(sim::SimDesktop& desktop) : desktop_(desktop) {
    window = desktop.AddWindow(0, "ThunderRT6FormDC", "", {283, 13, 457, 43});
    label = desktop.AddWindow(window, "Static", "Запись", {283, 13, 300, 43});
    picture = desktop.AddWindow(label, "Static", "", {290, 20, 27, 27});
    desktop.SetWindowPos(window, platform::ZOrder::Topmost, 0);
  }
  WindowHandle BarWindow() const override { return window; }
  void StopStepTimer() override { ++stepStops; }
  void StartAdvanceTimer() override { ++advanceStarts; }
  void NextDo() override { ++nextDos; }
  void MoveAwayFrom(Point) override {
    const sim::ScreenRect r = desktop_.RectOf(window);
    desktop_.MoveWindow(window, {r.left, 700, r.width, r.height});
  }

  WindowHandle window, label, picture;
  int stepStops = 0, advanceStarts = 0, nextDos = 0;

 private:
  sim::SimDesktop& desktop_;
};

class PlaybackTest : public ::testing::Test {
 protected:
  PlaybackTest() {
    sim.app.controlBar = &bar;
    sim.machine.shell.Execute(0, "open", wizard.options().programPath, "", "", 5);
    sim.machine.shell.launches.clear();
  }

  void SetGesture(std::vector<MouseEvent> events) { app().script.block.mouseEvents = events; }
  app::App& app() { return sim.app; }
  sim::SimDesktop& desktop() { return sim.machine.desktop; }

  SimApp sim;
  fake::FakeWizard wizard{sim.machine};
  FakeBar bar{sim.machine.desktop};
};

TEST_F(PlaybackTest, ClickPressesAndReleasesAtTheSameScreenPoint) {
  SetGesture({{kLeft, act::kPress, 10, 20}, {kLeft, act::kRelease, 0, 0}});

  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.next));

  const Point press = desktop().ClientToScreen(wizard.next, {10, 20});
  // Button events without the move flag happen where the cursor is.
  EXPECT_EQ(desktop().cursorMoves, (std::vector<Point>{press, press}));
  ASSERT_EQ(desktop().injected.size(), 2u);
  EXPECT_EQ(desktop().injected[0].flags, mouse::kLeftDown | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk);
  EXPECT_EQ(desktop().injected[1].flags, mouse::kLeftUp | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk);
  for (const auto& e : desktop().injected) EXPECT_EQ(e.pixel, press);
  EXPECT_EQ(desktop().pumps, 2);
  EXPECT_EQ(app().pressPoint, press);
  EXPECT_EQ(app().lastTargetWindow, wizard.next);
  EXPECT_EQ(wizard.page(), 2);  // the click reached the button
}

TEST(AbsoluteCoordinates, LandOnTheExactPixelOnAnyScreen) {
  // Whole-number factors (65535 / 1440 -> 46) would put y = 1400 about 15
  // pixels lower, past a wizard button.
  for (int size : {600, 768, 1024, 1080, 1440, 2160, 4320}) {
    for (int pixel : {0, 1, size / 2, size - 40, size - 1}) {
      const int absolute = script::AbsoluteCoordinate(pixel, size);
      EXPECT_GE(absolute, 0);
      EXPECT_LE(absolute, 65535);
      EXPECT_EQ(int((long long)absolute * size / 65536), pixel) << size << " " << pixel;
    }
  }
  EXPECT_EQ(script::AbsoluteCoordinate(5, 0), 0);
}

TEST_F(PlaybackTest, ClicksLandOnTheButtonOnALargeScreen) {
  desktop().screenWidth = 2560;
  desktop().screenHeight = 1440;
  sim.machine.system.screenWidth = 2560;
  sim.machine.system.screenHeight = 1440;
  wizard.MoveTo(2100, 1050);  // the Next button then sits near the bottom edge
  SetGesture({{kLeft, act::kPress, 10, 20}, {kLeft, act::kRelease, 0, 0}});
  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  EXPECT_EQ(desktop().injected.at(0).pixel, desktop().ClientToScreen(wizard.next, {10, 20}));
  EXPECT_EQ(wizard.page(), 2);
}

TEST_F(PlaybackTest, DragFollowsTheWindowToItsNewPlace) {
  wizard.MoveTo(40, 30);  // recorded elsewhere, replayed here
  SetGesture({{kLeft, act::kPress, 5, 6},
              {kLeft, act::kMove, 10, 0},
              {kLeft, act::kMove, 20, 3},
              {kLeft, act::kMove, 30, 6},
              {kLeft, act::kRelease, 30, 6}});

  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.title));

  const Point press{40 + 12 + 5, 30 + 12 + 6};
  const std::vector<std::pair<uint32_t, Point>> expected = {
      {mouse::kLeftDown, press},
      {mouse::kMove, {press.x + 10, press.y}},
      {mouse::kMove, {press.x + 20, press.y + 3}},
      {mouse::kMove, {press.x + 30, press.y + 6}},
      {mouse::kLeftUp, {press.x + 30, press.y + 6}}};
  ASSERT_EQ(desktop().injected.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(desktop().injected[i].flags, expected[i].first | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk) << i;
    EXPECT_EQ(desktop().injected[i].pixel, expected[i].second) << i;
  }
  EXPECT_EQ(desktop().cursorMoves, (std::vector<Point>{press, expected[4].second}));
  EXPECT_EQ(desktop().pumps, 5);
}

TEST_F(PlaybackTest, OtherButtonsAndShortGestures) {
  SetGesture(
      {{script::button::kRight, act::kPress, 3, 3}, {script::button::kRight, act::kRelease, 0, 0}});
  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.title));
  EXPECT_EQ(desktop().injected.at(0).flags, mouse::kRightDown | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk);
  EXPECT_EQ(desktop().injected.at(1).flags, mouse::kRightUp | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk);

  SetGesture({{script::button::kMiddle, act::kPress, 3, 3},
              {script::button::kMiddle, 9, 0, 0},
              {script::button::kMiddle, act::kRelease, 0, 0}});
  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.title));
  ASSERT_EQ(desktop().injected.size(), 4u);  // the unknown action is skipped
  EXPECT_EQ(desktop().injected[3].flags, mouse::kMiddleUp | mouse::kMove | mouse::kAbsolute | mouse::kVirtualDesk);

  desktop().injected.clear();
  SetGesture({{kLeft, act::kPress, 3, 3}});  // a single event is no gesture
  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.title));
  EXPECT_TRUE(desktop().injected.empty());
}

TEST_F(PlaybackTest, UnplayableGestureIsDoneWithoutInputNotTakenForACoveredWindow) {
  // False would make the player wait for the window to be uncovered for ever.
  SetGesture({{kLeft, act::kMove, 5, 5}, {kLeft, act::kRelease, 5, 5}});
  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  SetGesture({{3, act::kPress, 5, 5}, {3, act::kRelease, 0, 0}});  // no such button
  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  // The moves and release of an unplayable press are not played either.
  SetGesture({{3, act::kPress, 5, 5}, {kLeft, act::kMove, 1, 1}, {kLeft, act::kRelease, 0, 0}});
  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  EXPECT_TRUE(desktop().injected.empty());
  EXPECT_TRUE(desktop().cursorMoves.empty());
  EXPECT_EQ(wizard.page(), 1);
}

TEST_F(PlaybackTest, CoveredTargetGetsNoInput) {
  wizard.Cover();
  SetGesture({{kLeft, act::kPress, 10, 10}, {kLeft, act::kRelease, 0, 0}});
  EXPECT_FALSE(script::ReplayBlockEvents(app(), wizard.next));
  // A press meant for the dialog itself that lands on one of its buttons.
  wizard.Uncover();
  const Point onNext =
      desktop().ScreenToClient(wizard.dialog, desktop().ClientToScreen(wizard.next, {10, 10}));
  SetGesture({{kLeft, act::kPress, onNext.x, onNext.y}, {kLeft, act::kRelease, 0, 0}});
  EXPECT_FALSE(script::ReplayBlockEvents(app(), wizard.dialog));

  EXPECT_TRUE(desktop().injected.empty());
  EXPECT_TRUE(desktop().cursorMoves.empty());
  EXPECT_TRUE(desktop().notTopmostCalls.empty());
  EXPECT_EQ(app().lastTargetWindow, 0u);
  EXPECT_EQ(wizard.page(), 1);
}

TEST_F(PlaybackTest, DisabledNextButtonIsPassedOverUntilTheSetupHasInstalled) {
  SetGesture({{kLeft, act::kPress, 10, 10}, {kLeft, act::kRelease, 0, 0}});
  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  ASSERT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  ASSERT_TRUE(wizard.installing());
  // The point lies on the dialog now, so the press waits; a click made there
  // anyway does not reach the button.
  const size_t before = desktop().injected.size();
  EXPECT_FALSE(script::ReplayBlockEvents(app(), wizard.next));
  EXPECT_EQ(desktop().injected.size(), before);
  const Point onNext = desktop().ClientToScreen(wizard.next, {10, 10});
  EXPECT_EQ(desktop().WindowFromPoint(onNext), wizard.dialog);
  desktop().SetCursorPos(onNext);
  desktop().InjectMouse(mouse::kLeftDown, 0, 0);
  desktop().InjectMouse(mouse::kLeftUp, 0, 0);
  EXPECT_EQ(wizard.page(), 3);

  sim.machine.ui.AdvanceTime(wizard.options().installMs);
  EXPECT_FALSE(wizard.installing());
  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  EXPECT_EQ(wizard.page(), 4);
}

TEST_F(PlaybackTest, ControlBarCoveringTheTargetMovesAwayAndThePressGoesThrough) {
  const sim::ScreenRect next = desktop().RectOf(wizard.next);
  desktop().MoveWindow(bar.window, {next.left - 10, next.top - 5, 457, 43});
  SetGesture({{kLeft, act::kPress, 10, 10}, {kLeft, act::kRelease, 0, 0}});
  ASSERT_EQ(desktop().WindowFromPoint(desktop().ClientToScreen(wizard.next, {10, 10})),
            bar.picture);

  EXPECT_TRUE(script::ReplayBlockEvents(app(), wizard.next));
  EXPECT_EQ(wizard.page(), 2);
  EXPECT_TRUE(desktop().IsTopmost(bar.window));
}

TEST_F(PlaybackTest, TextGoesIntoTheControlAndIsReadBack) {
  app().script.block.blockText = "D:\\Программы\\Demo";
  script::PutBlockText(app(), wizard.edit);
  EXPECT_EQ(desktop().WindowText(wizard.edit), "D:\\Программы\\Demo");
  EXPECT_EQ(script::ReadWindowText(app(), wizard.edit), "D:\\Программы\\Demo");

  // A buffer of 255 characters holds 254 and the terminator.
  desktop().SetCaption(wizard.edit, std::string(300, 'x'));
  EXPECT_EQ(script::ReadWindowText(app(), wizard.edit).size(), 254u);
}

TEST_F(PlaybackTest, WindowKinds) {
  const WindowHandle rich = desktop().AddWindow(wizard.dialog, "RichEdit20A", "", {0, 0, 1, 1});
  const WindowHandle lower = desktop().AddWindow(wizard.dialog, "edit", "", {0, 0, 1, 1});
  EXPECT_TRUE(script::IsEditWindow(app(), wizard.edit));
  EXPECT_TRUE(script::IsEditWindow(app(), rich));
  EXPECT_TRUE(script::IsEditWindow(app(), lower));
  EXPECT_FALSE(script::IsEditWindow(app(), wizard.next));
  EXPECT_FALSE(script::IsEditWindow(app(), 0));

  EXPECT_TRUE(script::IsControlBarWindow(app(), bar.window));
  EXPECT_TRUE(script::IsControlBarWindow(app(), bar.label));
  EXPECT_TRUE(script::IsControlBarWindow(app(), bar.picture));
  EXPECT_FALSE(script::IsControlBarWindow(app(), wizard.next));
  EXPECT_FALSE(script::IsControlBarWindow(app(), 0));
  app().controlBar = nullptr;
  EXPECT_FALSE(script::IsControlBarWindow(app(), bar.window));
}

TEST_F(PlaybackTest, LaunchInTheSetupsFolderWithoutPromptsAndKeepItsProcess) {
  const std::string program = wizard.options().programPath;
  // Downloaded: a plain ShellExecute shows the security warning and waits.
  sim.machine.shell.MarkDownloaded(program);
  EXPECT_THROW(sim.machine.shell.Execute(0, "open", program, "", "", 5), sim::Hung);
  sim.machine.shell.launches.clear();

  platform::Launched launched = script::LaunchProgram(app(), program, "");
  EXPECT_TRUE(launched.started);
  ASSERT_TRUE(launched.process);
  EXPECT_TRUE(launched.process->Running());
  EXPECT_TRUE(launched.process->FollowsTree());
  ASSERT_EQ(sim.machine.shell.launches.size(), 1u);
  const sim::SimShell::LaunchCall& launch = sim.machine.shell.launches[0];
  EXPECT_EQ(launch.owner, bar.window);
  EXPECT_EQ(launch.file, program);
  EXPECT_EQ(launch.parameters, "");
  EXPECT_EQ(launch.directory, "C:\\Setup");
  EXPECT_EQ(launch.showCommand, 5);
  EXPECT_EQ(wizard.launchParameters.back(), "");
  desktop().UserClick(desktop().ClientToScreen(wizard.cancel, {5, 5}));  // the setup ends
  EXPECT_FALSE(launched.process->Running());

  // Failures return at once, without an error box waiting for a user.
  EXPECT_FALSE(script::LaunchProgram(app(), "", "/S").started);
  EXPECT_EQ(sim.machine.shell.launches.size(), 1u);
  sim.machine.shell.failWith = 32;
  EXPECT_FALSE(script::LaunchProgram(app(), program, "/S").started);
  EXPECT_FALSE(script::LaunchProgram(app(), "C:\\Setup\\Нет такого.exe", "/S").started);
  sim.machine.files.PutFile("C:\\setup.exe", "MZ");
  EXPECT_TRUE(script::LaunchProgram(app(), "C:\\setup.exe", "/S").started);
  EXPECT_EQ(sim.machine.shell.launches.back().directory, "C:\\");
  app().controlBar = nullptr;
  EXPECT_TRUE(script::LaunchProgram(app(), program, "/S").started);
  EXPECT_EQ(sim.machine.shell.launches.back().owner, 0u);
}

// A script with one click on the wizard's "Далее >" button.
class StartScriptTest : public PlaybackTest {
 protected:
  static constexpr const char* kScriptPath = "C:\\Scripts\\Demo App.OVS";

  void WriteScript(const std::string& program, const std::string& parameters,
                   int16_t versionMajor = script::kVersionMajor) {
    script::ScriptBuffer buffer(sim.machine.system, [](const std::string& s) { return s; });
    buffer.NewScript("Demo App");
    buffer.BeginBlock();
    buffer.block.windowPath = {{"#32770", wizard.options().caption, 1},
                               {"Button", fake::FakeWizard::kNextCaption, 1}};
    buffer.block.mouseEvents = {{kLeft, act::kPress, 10, 10}, {kLeft, act::kRelease, 0, 0}};
    buffer.AppendBlock();
    buffer.AppendProgramPath(program);
    buffer.AppendParameters(parameters);
    buffer.AppendTimeStamp();
    std::string bytes = buffer.bytes();
    bytes[8] = static_cast<char>(versionMajor);
    buffer.SetBytes(bytes);
    buffer.ScrambleBuffer();
    sim.machine.files.PutFile(kScriptPath, buffer.bytes());
  }

  // StartScript inside an open statistics entry, three seconds later.
  bool Start() {
    app().statistics.BeginStatEntry("Demo App");
    sim.machine.system.AdvanceSeconds(3);
    return script::StartScript(app(), kScriptPath);
  }

  void ExpectFailureExit() {
    EXPECT_EQ(bar.stepStops, 1);
    EXPECT_EQ(bar.advanceStarts, 1);
    EXPECT_EQ(bar.nextDos, 0);
    const dialogs::StatEntry& entry = app().statistics.entries().back();
    EXPECT_EQ(entry.result, dialogs::stat_result::kNotStarted);
    EXPECT_EQ(entry.duration, "0:00:03");
    EXPECT_TRUE(sim.machine.ui.messages.empty());
  }
};

TEST_F(StartScriptTest, LaunchesTheExpandedProgramAndHandsOverToTheBar) {
  app().macros = app::BuildMacroTable(sim.machine.platform);
  fake::FakeWizard installed(sim.machine,
                             {.programPath = "C:\\Program Files (x86)\\Demo\\setup.exe"});
  WriteScript("%PROGRAMFILES%\\Demo\\setup.exe", "/lang=ru");

  ASSERT_TRUE(Start());
  ASSERT_EQ(sim.machine.shell.launches.size(), 1u);
  EXPECT_EQ(sim.machine.shell.launches[0].file, "C:\\Program Files (x86)\\Demo\\setup.exe");
  EXPECT_EQ(installed.launchParameters, std::vector<std::string>{"/lang=ru"});
  EXPECT_EQ(app().pendingPackage.parameters, "/lang=ru");
  EXPECT_EQ(bar.nextDos, 1);
  EXPECT_EQ(bar.stepStops + bar.advanceStarts, 0);
  ASSERT_TRUE(app().setupProcess);  // followed from its first instruction
  EXPECT_EQ(sim.machine.shell.followedLaunches, 1);
  EXPECT_EQ(app().script.readPosition(), script::kFirstBlockOffset);
  EXPECT_EQ(app().script.blocksRead(), 0);
  EXPECT_TRUE(app().script.ReadNextBlock());
  EXPECT_EQ(app().script.block.mouseEvents.size(), 2u);
}

TEST_F(StartScriptTest, MissingScriptFile) {
  EXPECT_FALSE(Start());
  ExpectFailureExit();
}

TEST_F(StartScriptTest, NewerMajorVersion) {
  WriteScript(wizard.options().programPath, "", script::kVersionMajor + 1);
  EXPECT_FALSE(Start());
  ExpectFailureExit();
  EXPECT_TRUE(sim.machine.shell.launches.empty());
}

TEST_F(StartScriptTest, MissingProgram) {
  WriteScript("C:\\Setup\\Gone.exe", "");
  EXPECT_FALSE(Start());
  ExpectFailureExit();
  EXPECT_TRUE(sim.machine.shell.launches.empty());
}

TEST_F(StartScriptTest, ProgramThatCannotBeLaunched) {
  WriteScript(wizard.options().programPath, "");
  sim.machine.shell.failWith = 31;
  EXPECT_FALSE(Start());
  ExpectFailureExit();
}

TEST_F(StartScriptTest, UnreadableScript) {
  sim.machine.files.PutFile(kScriptPath, std::string("\x4D\x4D\x4D\x4D\x4D", 5));
  EXPECT_FALSE(Start());
  ExpectFailureExit();
  sim.machine.files.PutFile(kScriptPath, "");
  bar.stepStops = bar.advanceStarts = 0;
  EXPECT_FALSE(Start());
  ExpectFailureExit();
}

TEST_F(StartScriptTest, FailureWithoutControlBarOnlyClosesTheEntry) {
  app().controlBar = nullptr;
  EXPECT_FALSE(Start());
  EXPECT_EQ(app().statistics.entries().back().duration, "0:00:03");
  WriteScript(wizard.options().programPath, "");
  EXPECT_TRUE(script::StartScript(app(), kScriptPath));
}

}  // namespace
