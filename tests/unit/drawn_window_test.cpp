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
    // The control under the pointer is lit up, drawn 30 ms after the
    // pointer came onto it.
    bool hover = false;
    // The first press ignored puts another program's window over the
    // wizard for this long.
    long long coverMs = 0;
    // The animation is a bar moving along the bottom, a part of the picture
    // every two frames, the rest of the page still; its frames come after
    // these gaps, the last one repeating (on a busy machine a timer's frames
    // come late now and then).
    bool barOnly = false;
    std::vector<long long> frameGaps = {40};
    // The window shows nothing drawn (one colour) this long after it
    // appears, as when a busy machine paints it late.
    long long firstPaintMs = 0;
  };

  DrawnWizard(sim::SimMachine& machine, Options options) : machine_(machine), options_(options) {
    machine_.files.PutFile(kProgram, "MZ");
    machine_.shell.RegisterProgram(kProgram, [this](const sim::SimShell::ProgramStart& s) {
      process_ = s.process;
      window = machine_.desktop.AddWindow(0, "DrawnWizard", kCaption, {200, 150, 480, 320});
      machine_.desktop.SetProcess(window, process_);
      machine_.desktop.SetOnClickAt(window, [this](Point p) { Press(p); });
      if (options_.hover) machine_.desktop.SetOnHover(window, [this](Point p) { Hover(p); });
      paintFrom_ = machine_.ui.nowMs + options_.firstPaintMs;
      machine_.ui.Schedule(options_.firstPaintMs, [this] {
        if (window != 0) Draw();
      });
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
    pageFrame_ = 0;
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
    if (!options_.animateForever && !Loading()) return Draw();
    ++frame_;
    Draw();
    const auto& gaps = options_.frameGaps;
    const long long gap = gaps[std::min<size_t>(pageFrame_++, gaps.size() - 1)];
    machine_.ui.Schedule(gap, [this, generation] { Animate(generation); });
  }
  void Draw() {
    if (machine_.ui.nowMs < paintFrom_) return;
    const uint64_t frame = options_.barOnly ? 0 : uint64_t(frame_) * 100000;
    machine_.desktop.SetPicture(window, 1 + page_ * 1000 + shortcut * 100 + dictionaries * 10 +
                                            lit_ + frame);
    const bool bar = options_.barOnly && (Loading() || options_.animateForever);
    for (int column = 0; column < sim::SimDesktop::kPictureSide; ++column) {
      const bool here = bar && column == int(pageFrame_ / 2) % sim::SimDesktop::kPictureSide;
      machine_.desktop.SetPicturePixel(window, 6, column, here ? 7 + frame_ : 0);
    }
  }
  void Hover(Point p) {
    const int lit = Inside(p, 30, 150, 270, 24) ? 3 : Inside(p, 370, 270, 90, 30) ? 6 : 0;
    machine_.ui.Schedule(30, [this, lit] {
      lit_ = lit;
      if (window != 0) Draw();
    });
  }
  void Cover() {
    const WindowHandle cover = machine_.desktop.AddWindow(0, "Notice", "", {150, 100, 600, 450});
    machine_.desktop.SetProcess(cover, sim::SimDesktop::kOtherProcess);
    machine_.ui.Schedule(options_.coverMs, [this, cover] { machine_.desktop.RemoveWindow(cover); });
  }
  void Press(Point p) {
    if (Loading()) {
      if (ignored++ == 0 && options_.coverMs > 0) Cover();
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
  int process_ = 0, page_ = 0, frame_ = 0, generation_ = 0, lit_ = 0;
  size_t pageFrame_ = 0;
  long long loadedAt_ = 0, paintFrom_ = 0;
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

// The pointer lights up what it is over, and each page ignores presses a
// while: the press on the second page's check box is judged against a
// picture that has the box lit already, so that the light is no effect of
// the press. Before, the light counted, and the ignored press went for done.
TEST_F(DrawnWindows, WhatThePointerLightsUpIsNoEffectOfThePress) {
  DrawnWizard drawn(machine(), {.loadMs = 400, .hover = true});
  PlayUnattended(0, false, {kCheckBox, kButton, kCheckBox, kButton, kButton});
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  EXPECT_FALSE(drawn.dictionaries) << "the pointer's light was taken for the press's effect";
  EXPECT_EQ(drawn.taken, 5);
  EXPECT_EQ(Report().find("Нажатие не изменило окно"), std::string::npos) << Report();
}

// The press is ignored while the page loads, and then another program's
// window covers the wizard for a few seconds: the press played again is
// owed until it can reach the window. Before, the covered replays counted
// as presses, and the block went for done with its box not ticked.
TEST_F(DrawnWindows, APressPlayedAgainOntoACoveredWindowWaitsForIt) {
  DrawnWizard drawn(machine(), {.loadMs = 400, .coverMs = 4000});
  PlayUnattended(0);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut) << Report();
  EXPECT_EQ(drawn.taken, 4);
  EXPECT_EQ(Report().find("Нажатие не изменило окно"), std::string::npos) << Report();
}

// The page's bar runs along while it loads, and one of its frames comes
// late: the picture is still long enough for the press, which the page
// ignores. The bar's next frame is no effect of the press, which is played
// again once the page has loaded. Before, the frame counted, and the box
// stayed clear.
TEST_F(DrawnWindows, APartThatRunsByItselfIsNoEffectOfThePress) {
  DrawnWizard drawn(machine(), {.loadMs = 600, .animate = true, .barOnly = true,
                                .frameGaps = {40, 40, 40, 250, 40}});
  PlayUnattended(0);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut) << "the bar's frame was taken for the press's effect";
  EXPECT_TRUE(drawn.dictionaries);
  EXPECT_EQ(Report().find("Нажатие не изменило окно"), std::string::npos) << Report();
}

// The window shows nothing drawn until well into its first page's load: the
// press waits for a picture, and is played again once the page has loaded.
// Before, a window of one colour was pressed at once and the press went for
// done, with the box clear.
TEST_F(DrawnWindows, AWindowNotYetDrawnIsWaitedForLikeALoadingPage) {
  DrawnWizard drawn(machine(), {.loadMs = 400, .firstPaintMs = 300});
  PlayUnattended(0);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut) << Report();
  EXPECT_EQ(drawn.taken, 4);
  EXPECT_EQ(Report().find("Нажатие не изменило окно"), std::string::npos) << Report();
}

// A window that is never drawn (or cannot be read) gives nothing to wait
// for: its first block waits the bounded time, the others none.
TEST_F(DrawnWindows, AWindowNeverDrawnWaitsOnceAndIsPressedAsEver) {
  DrawnWizard drawn(machine(), {.firstPaintMs = 600000});
  const long long start = ui().nowMs;
  PlayUnattended(0);
  EXPECT_TRUE(drawn.finished) << Report();
  EXPECT_TRUE(drawn.shortcut);
  EXPECT_EQ(drawn.taken, 4);
  EXPECT_GE(ui().nowMs - start, engine::speed::kMaxStillWaitMs);
  EXPECT_LT(ui().nowMs - start, 2 * engine::speed::kMaxStillWaitMs);
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
