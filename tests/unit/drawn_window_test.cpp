// Wizards that draw their own controls in one window: a press counts when
// the window's picture shows that it was taken.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using namespace engine_test;

constexpr const char* kProgram = "C:\\Setup\\Drawn.exe";
constexpr const char* kCaption = "Установка Рисованный мастер";
constexpr const char* kReport = "C:\\Отчёты\\drawn.txt";
const Point kCheckBox{40, 160}, kButton{400, 285};

// One window of 480 x 320 with a check box and a button drawn on each page:
// "Создать ярлык" and Далее, "Словари" and Установить, then Готово. After a
// page appears it loads `loadMs`, ignoring presses, its picture running
// along when `animate` (or for ever with `animateForever`).
class DrawnWizard {
 public:
  struct Options {
    long long loadMs = 0;
    bool animate = false;
    bool animateForever = false;
    // Each page after the first keeps the window disabled this long, and
    // loads this much longer.
    long long disabledMs = 0;
  };

  DrawnWizard(sim::SimMachine& machine, Options options) : machine_(machine), options_(options) {
    machine_.files.PutFile(kProgram, "MZ");
    machine_.shell.RegisterProgram(kProgram, [this](const sim::SimShell::ProgramStart& s) {
      process_ = s.process;
      window = machine_.desktop.AddWindow(0, "DrawnWizard", kCaption, {200, 150, 480, 320});
      machine_.desktop.SetProcess(window, process_);
      machine_.desktop.SetOnClickAt(window, [this](Point p) { Press(p); });
      ShowPage(1);
    });
  }

  bool finished = false, shortcut = false, dictionaries = true;
  int taken = 0, ignored = 0;
  WindowHandle window = 0;

 private:
  static bool Inside(Point p, int left, int top, int width, int height) {
    return p.x >= left && p.y >= top && p.x < left + width && p.y < top + height;
  }
  bool Loading() const { return machine_.ui.nowMs < loadedAt_; }

  void ShowPage(int page) {
    page_ = page;
    loadedAt_ = machine_.ui.nowMs + options_.loadMs + (page > 1 ? options_.disabledMs : 0);
    if (options_.animate || options_.animateForever) Animate(++generation_);
    Draw();
    if (page > 1 && options_.disabledMs > 0) {
      machine_.desktop.SetEnabled(window, false);
      machine_.ui.Schedule(options_.disabledMs, [this] {
        if (window != 0) machine_.desktop.SetEnabled(window, true);
      });
    }
  }
  void Animate(int generation) {
    if (generation != generation_ || window == 0) return;
    if (!options_.animateForever && !Loading()) return;
    ++frame_;
    Draw();
    machine_.ui.Schedule(40, [this, generation] { Animate(generation); });
  }
  void Draw() {
    machine_.desktop.SetPicture(window, 1 + page_ * 1000 + shortcut * 100 + dictionaries * 10 +
                                            uint64_t(frame_) * 100000);
  }
  void Press(Point p) {
    if (Loading()) {
      ++ignored;
      return;
    }
    ++taken;
    if (page_ < 3 && Inside(p, 30, 150, 270, 24)) {
      (page_ == 1 ? shortcut : dictionaries) ^= true;
      return Draw();
    }
    if (!Inside(p, 370, 270, 90, 30)) return;
    if (page_ < 3) return ShowPage(page_ + 1);
    finished = true;
    machine_.desktop.RemoveWindow(window);
    window = 0;
    machine_.shell.ExitProcess(process_);
  }

  sim::SimMachine& machine_;
  Options options_;
  int process_ = 0, page_ = 0, frame_ = 0, generation_ = 0;
  long long loadedAt_ = 0;
};

class DrawnWindows : public PlayerTest {
 protected:
  // Presses at these points of the drawn window, a block each.
  std::string WriteDrawnScript(const std::vector<Point>& presses) {
    script::ScriptBuffer& s = app().script;
    s.NewScript("");
    for (const Point p : presses) {
      s.BeginBlock();
      s.block.windowPath = {{"DrawnWizard", kCaption, 1}};
      s.block.mouseEvents = {{1, act::kPress, p.x, p.y}, {1, act::kRelease, 0, 0}};
      s.AppendBlock();
    }
    s.AppendProgramPath(kProgram);
    s.AppendParameters("");
    s.AppendTimeStamp();
    s.ScrambleBuffer();
    const std::string path = std::string(kLibrary) + "\\Рисованный.OVS";
    machine().files.PutFile(path, s.bytes());
    return path;
  }
  // Ticks "Создать ярлык", then presses Далее, Установить and Готово.
  void PlayUnattended(int speed, bool messages = false,
                      std::vector<Point> presses = {kCheckBox, kButton, kButton, kButton}) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{speed, 60, kReport, messages};
    Play({WriteDrawnScript(presses)});
    for (long long t = 0; t < 60000 && bar().IsOpen(); t += 10) ui().AdvanceTime(10);
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
};

struct Mode {
  int speed;
  bool messages, animate;
};
void PrintTo(const Mode& m, std::ostream* os) {
  *os << "speed " << m.speed << (m.messages ? ", by messages" : "")
      << (m.animate ? ", animated while loading" : "");
}

class DrawnPagesLoad : public DrawnWindows, public ::testing::WithParamInterface<Mode> {};

// A page ignores presses while it loads. One whose picture runs along
// meanwhile is waited for until it is still; a still one ignores the press,
// which is played again once the picture shows that nothing happened. Before,
// every run said "ОК" with the options wrong.
TEST_P(DrawnPagesLoad, EveryPressIsTakenAndThePackageInstallsAsRecorded) {
  const Mode mode = GetParam();
  DrawnWizard drawn(machine(), {.loadMs = 400, .animate = mode.animate});
  PlayUnattended(mode.speed, mode.messages);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  EXPECT_TRUE(drawn.dictionaries);
  EXPECT_EQ(drawn.taken, 4);
  if (mode.animate) {
    EXPECT_EQ(drawn.ignored, 0);
  }
  EXPECT_EQ(Report().find("Нажатие не изменило окно"), std::string::npos) << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete);
}

INSTANTIATE_TEST_SUITE_P(Modes, DrawnPagesLoad,
                         ::testing::Values(Mode{0, false, false}, Mode{2, false, false},
                                           Mode{0, true, false}, Mode{0, false, true}));

TEST_F(DrawnWindows, APressThatChangesThePictureIsNotRepeatedOneThatChangesNothingIsNoted) {
  DrawnWizard drawn(machine(), {});
  const Point nothing{200, 100};
  PlayUnattended(0, false, {kCheckBox, nothing, kButton, kButton, kButton});
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  // The press on nothing three times, each other press once.
  EXPECT_EQ(drawn.taken, 7);
  EXPECT_NE(Report().find("Нажатие не изменило окно: Рисованный (строка 1)\r\n  Блок: 2 из 5\r\n"
                          "  Окно: \"DrawnWizard\" \"Установка Рисованный мастер\" 1\r\n"),
            std::string::npos)
      << Report();
  EXPECT_NE(Report().find("1   ОК"), std::string::npos);
}

// The next page keeps the window disabled longer than the still wait's
// bound, and its load still runs when it is enabled: the press on it waits
// for a still picture all the same.
TEST_F(DrawnWindows, TheStillWaitStartsAtTheBlocksFirstLookAtItsWindow) {
  DrawnWizard drawn(machine(), {.loadMs = 400, .animate = true, .disabledMs = 4000});
  PlayUnattended(0, false, {kCheckBox, kButton, kCheckBox, kButton, kButton});
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  EXPECT_FALSE(drawn.dictionaries) << "the press on the loading page was taken for its effect";
  EXPECT_EQ(drawn.ignored, 0);
}

TEST_F(DrawnWindows, AWindowWhosePictureNeverSettlesGetsItsPressAfterABoundedWait) {
  DrawnWizard drawn(machine(), {.animateForever = true});
  const long long start = ui().nowMs;
  PlayUnattended(0);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  EXPECT_EQ(drawn.taken, 4);
  EXPECT_GE(ui().nowMs - start, 4 * engine::speed::kMaxStillWaitMs);
  EXPECT_LT(ui().nowMs - start, 4 * engine::speed::kMaxStillWaitMs + 5000);
}

}  // namespace
