// The stages of playback on their own, against the simulated desktop: where
// a block's window is now, and whether the setup works or has gone idle.
#include <gtest/gtest.h>

#include "engine/play/setup_activity.h"
#include "engine/play/target_locator.h"
#include "platform/sim/sim_machine.h"

namespace {

using platform::WindowHandle;
using State = engine::Located::State;

constexpr int kSetup = 7, kOther = 8;

// The followed setup: the processes of kSetup; its work as the test says.
class FakeSetup : public platform::Process {
 public:
  bool Running() const override { return true; }
  bool FollowsTree() const override { return true; }
  void Terminate() override {}
  bool Owns(unsigned id) const override { return id == kSetup; }
  std::optional<unsigned long> ExitCode() const override { return std::nullopt; }
  unsigned long long WorkDone() const override { return work; }
  unsigned long long work = 0;
};

class PlayModules : public ::testing::Test {
 protected:
  // A wizard dialog with its Next button, of `process`, in front of the
  // windows before it.
  WindowHandle Wizard(const std::string& caption, int process) {
    const WindowHandle dialog = desktop().AddWindow(0, "#32770", caption, {100, 100, 500, 400});
    desktop().SetProcess(dialog, process);
    const WindowHandle next = desktop().AddWindow(dialog, "Button", "&Далее >", {400, 460, 75, 23});
    desktop().SetButtonKind(next, platform::ButtonKind::Push);
    return next;
  }
  engine::Located Locate(const platform::Process* setup, long long missingMs, int speed = 0) {
    return locator.Locate(path, {10, 10}, setup, missingMs, speed);
  }
  sim::SimDesktop& desktop() { return machine.desktop; }

  sim::SimMachine machine;
  script::ScriptBuffer script{machine.system, [](const std::string& s) { return s; }};
  engine::TargetLocator locator{machine.desktop, machine.system, script};
  FakeSetup setup;
  engine::WindowPath path = {{"#32770", "Установка Архиватор", 1}, {"Button", "&Далее >", 1}};
};

// A previous setup left running shows the same wizard in front: while a
// setup is followed, only its own window is taken, and the exact search
// gives way to likeness only after the speed's delay.
TEST_F(PlayModules, TheLocatorTakesOnlyTheSetupsWindowsAndLikenessAfterItsDelay) {
  const WindowHandle own = Wizard("Установка Архиватор", kSetup);
  const WindowHandle left = Wizard("Установка Архиватор", kOther);
  engine::Located found = Locate(&setup, 0);
  EXPECT_EQ(found.state, State::Ready);
  EXPECT_EQ(found.window, own);
  EXPECT_EQ(Locate(nullptr, 0).window, left) << "with no setup to follow, any program's";

  desktop().SetEnabled(desktop().RootWindow(own), false);
  EXPECT_EQ(Locate(&setup, 0).state, State::NotReady);
  desktop().SetEnabled(desktop().RootWindow(own), true);
  desktop().SetVisible(own, false);
  EXPECT_EQ(Locate(&setup, 0).state, State::Missing) << "a control on a page not shown";
  desktop().SetVisible(own, true);

  // The setup's next version: its caption carries the version now.
  desktop().SetCaption(desktop().RootWindow(own), "Установка Архиватор 2.4");
  desktop().RemoveWindow(desktop().RootWindow(left));
  EXPECT_EQ(Locate(&setup, 1999).state, State::Missing);
  EXPECT_EQ(Locate(&setup, 2000, /*speed=*/2).state, State::Missing);
  found = Locate(&setup, 2000);
  EXPECT_EQ(found.state, State::Ready);
  EXPECT_EQ(found.window, own);
  EXPECT_TRUE(found.byLikeness);
  EXPECT_FALSE(found.why.empty());
  EXPECT_EQ(Locate(nullptr, 60000).state, State::Missing) << "no likeness without a setup";
}

// Idle counts from the later of the wait's start and the setup's last sign
// of work: processor time or file work above the background's, or its
// windows changing.
TEST_F(PlayModules, TheSetupIsIdleFromItsLastSignOfWork) {
  engine::SetupActivity activity(machine.desktop, machine.system);
  Wizard("Установка Архиватор", kSetup);
  activity.BeginPackage();
  const long long start = machine.system.AwakeTimeMs();
  const auto wait = [&](long long ms, unsigned long long work) {
    for (long long t = 0; t < ms; t += 500) {
      machine.ui.AdvanceTime(500);
      setup.work += work;
      activity.Sample(&setup);
    }
  };
  wait(1000, 0);  // the first look sees its windows for the first time
  const long long firstLook = machine.system.AwakeTimeMs();
  wait(3000, 10);  // a caret blinking: no work
  EXPECT_EQ(activity.IdleMs(start), machine.system.AwakeTimeMs() - firstLook);
  EXPECT_FALSE(activity.IdleFor(5, start, &setup));
  EXPECT_TRUE(activity.IdleFor(3, start, &setup));
  EXPECT_FALSE(activity.IdleFor(0, start, &setup)) << "no time-out, never idle for it";

  wait(2000, 200);  // copying files
  EXPECT_LT(activity.IdleMs(start), 1000);
  wait(2000, 0);
  activity.NoteChange();  // a window event of the setup's
  EXPECT_EQ(activity.IdleMs(start), 0);
}

}  // namespace
