// Recording a setup wizard through the control bar and playing it back, on
// the simulated machine with its fake wizard.
#include <gtest/gtest.h>

#include "app/macros.h"
#include "dialogs/frmStat.h"
#include "engine/frmStels.h"
#include "engine/window_finder.h"
#include "fake_wizard.h"
#include "library/frmMain.h"
#include "sim_test_support.h"

namespace {

using platform::Point;
using platform::WindowHandle;
namespace act = script::action;

const char* const kLibrary = "C:\\Сценарии";
const char* const kScriptPath = "C:\\Сценарии\\Demo.OVS";

Point Center(const sim::SimDesktop& desktop, WindowHandle w) {
  const sim::ScreenRect r = desktop.RectOf(w);
  return {r.left + r.width / 2, r.top + r.height / 2};
}

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    machine().files.MakeFolders(kLibrary);
    app().macros = app::BuildMacroTable(machine().platform);
    app().scriptFolder = kLibrary;
    app().settings.Save(app::setting::kFolderOvs, kLibrary);
    app().settings.Save(app::setting::kRegistry, "1");  // no file association
  }

  void StartRecording() {
    app().recordingMode = true;
    app().pendingPackage = {wizard.options().programPath, "Demo", "Демо", ""};
    bar().Open();
  }

  void Play(std::vector<std::string> scripts) {
    app().recordingMode = false;
    app().playQueue = {""};
    for (auto& s : scripts) app().playQueue.push_back(s);
    app().currentScriptPath = app().playQueue[1];
    bar().Open();
  }

  // Lets the timers run until the statistics window opens (its lines are
  // kept) or `ms` pass.
  void RunUntilStatistics(long long ms = 60000) {
    for (long long t = 0; t < ms && statLines.empty(); t += 100) ui().AdvanceTime(100);
  }

  void UserClick(WindowHandle w, int button = 1) { desktop().UserClick(Center(desktop(), w), button); }

  script::ScriptBuffer LoadSaved() {
    script::ScriptBuffer saved(machine().system, [](const std::string& s) { return s; });
    EXPECT_TRUE(saved.LoadPlainScript(machine().files, kScriptPath));
    return saved;
  }

  app::App& app() { return sim.app; }
  sim::SimMachine& machine() { return sim.machine; }
  sim::SimDesktop& desktop() { return sim.machine.desktop; }
  sim::SimUi& ui() { return sim.machine.ui; }
  engine::FrmStels& bar() { return app().ControlBar(); }

  SimApp sim;
  fake::FakeWizard wizard{sim.machine};
  std::vector<std::string> statLines;
  int statShown = 0;

  void SetUp() override {
    ui().modalHandlers["frmStat"] = [this](ui::Form& form) {
      ++statShown;
      for (const auto& item : static_cast<dialogs::FrmStat&>(form).List1.items()) {
        statLines.push_back(item.text);
      }
      if (statLines.empty()) statLines.push_back("(пусто)");
    };
  }
};

TEST_F(EngineTest, RecordsAWholeInstallationAndPlaysItBack) {
  StartRecording();
  ASSERT_TRUE(wizard.running());
  EXPECT_TRUE(bar().IsVisible());
  EXPECT_TRUE(desktop().IsTopmost(bar().handle()));
  EXPECT_EQ(desktop().hookCount(), 1);

  const Point nextClient = desktop().ScreenToClient(wizard.next, Center(desktop(), wizard.next));
  const Point title = Center(desktop(), wizard.title);
  const Point titleClient = desktop().ScreenToClient(wizard.title, title);
  UserClick(wizard.next);  // page 2 with the folder field
  ASSERT_EQ(wizard.page(), 2);
  UserClick(bar().handle());  // on the bar: not recorded
  // Nor on a window the bar owns, such as its message boxes.
  const sim::ScreenRect barRect = desktop().RectOf(bar().handle());
  const WindowHandle barBox = desktop().AddWindow(bar().handle(), "#32770", "Orvanta",
                                                  {barRect.left + 10, barRect.top + 5, 100, 30});
  UserClick(barBox);
  desktop().RemoveWindow(barBox);
  UserClick(wizard.edit);

  bar().imgPause.Click();
  bar().imgPlay.Click();  // continuing without an edit records nothing
  EXPECT_EQ(app().script.header().blockCount, 2);
  EXPECT_EQ(desktop().foregroundCalls.back(), wizard.edit);
  bar().imgPause.Click();
  EXPECT_EQ(desktop().hookCount(), 0);
  EXPECT_EQ(bar().bounds().height, engine::bar_layout::kPanelTop + engine::bar_layout::kPanelHeight);
  EXPECT_EQ(bar().Text1.text(), "C:\\Program Files\\Demo App");
  bar().Text1.SyncText(app().macros.values[0] + "\\日本\\本");
  bar().imgPlay.Click();  // refused: the script could not hold the text
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_NE(ui().messages[0].text.find(": 日 本\r\n"), std::string::npos) << ui().messages[0].text;
  EXPECT_EQ(ui().focused, "Text1");
  EXPECT_EQ(desktop().hookCount(), 0);
  EXPECT_TRUE(bar().imgPlay.visible());
  EXPECT_EQ(app().script.header().blockCount, 2);
  EXPECT_EQ(desktop().WindowText(wizard.edit), "C:\\Program Files\\Demo App");
  const std::string typed = app().macros.values[0] + "\\Другая папка";
  bar().Text1.SyncText(typed);
  bar().imgPlay.Click();
  EXPECT_EQ(desktop().WindowText(wizard.edit), typed);
  EXPECT_EQ(bar().bounds().height, engine::bar_layout::kStripHeight);
  EXPECT_EQ(desktop().hookCount(), 1);

  // A drag with the right button on the title, then Next twice to the end.
  desktop().UserPress(title, 2);
  desktop().UserMove({title.x + 5, title.y + 2});
  desktop().UserMove({title.x + 9, title.y + 4});
  desktop().UserRelease({title.x + 9, title.y + 4}, 2);
  UserClick(wizard.next);  // the install page: Next waits for the installation
  UserClick(wizard.next);
  ASSERT_EQ(wizard.page(), 3);
  ui().AdvanceTime(wizard.options().installMs);
  UserClick(wizard.next);
  UserClick(wizard.next);
  ASSERT_TRUE(wizard.finished);

  bar().imgStop.Click();
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_EQ(desktop().hookCount(), 0);
  EXPECT_EQ(app().controlBar, nullptr);
  ASSERT_TRUE(app().MainWindow().IsVisible());  // with the new package in its list
  EXPECT_EQ(app().MainWindow().List1.items().size(), 1u);

  script::ScriptBuffer saved = LoadSaved();
  EXPECT_EQ(saved.header().blockCount, 8);
  EXPECT_EQ(saved.ReadDescription().rfind("Демо", 0), 0u);
  ASSERT_TRUE(saved.ReadNextBlock());
  const engine::WindowPath nextButton{{"#32770", "Установка Demo App ", 1},
                                      {"Button", "&Далее >", 1}};
  EXPECT_EQ(saved.block.windowPath, nextButton);
  EXPECT_EQ(saved.block.mouseEvents,
            (std::vector<script::MouseEvent>{{1, act::kPress, nextClient.x, nextClient.y},
                                             {1, act::kRelease, 0, 0}}));
  ASSERT_TRUE(saved.ReadNextBlock());  // the click into the field
  EXPECT_EQ(saved.block.windowPath.back().className, "Edit");
  ASSERT_TRUE(saved.ReadNextBlock());  // the same click again, with the text contracted
  EXPECT_EQ(saved.block.blockText, "%PROGRAMFILES%\\Другая папка");
  ASSERT_TRUE(saved.ReadNextBlock());  // the drag
  EXPECT_EQ(saved.block.mouseEvents,
            (std::vector<script::MouseEvent>{{2, act::kPress, titleClient.x, titleClient.y},
                                             {2, act::kMove, 5, 2},
                                             {2, act::kMove, 9, 4},
                                             {2, act::kRelease, 9, 4}}));

  // Play it back on a wizard that starts elsewhere on the screen.
  wizard.MoveTo(40, 60);
  Play({kScriptPath});
  RunUntilStatistics();
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(wizard.installedTo, typed);
  ASSERT_FALSE(statLines.empty());
  EXPECT_NE(statLines[0].find("ОК"), std::string::npos) << statLines[0];
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_TRUE(app().MainWindow().IsVisible());
}

TEST_F(EngineTest, PauseOnAButtonRefusesTextWhileTheFilterIsOn) {
  StartRecording();
  UserClick(wizard.back);
  bar().imgPause.Click();
  EXPECT_TRUE(bar().chkFilter.checked());
  EXPECT_EQ(bar().lblStatus.text(), "Выбранное окно не распознано текстовым полем");
  EXPECT_EQ(ui().modalShown, std::vector<std::string>{"frmPauseInfo"});
  bar().Text1.SyncText("текст");
  bar().imgPlay.Click();
  EXPECT_EQ(desktop().WindowText(wizard.back), "< &Назад");  // nothing was put

  // With the filter off the text goes to any window, exactly as typed.
  app().settings.Save(app::setting::kPauseTip, "1");
  bar().imgPause.Click();
  bar().chkFilter.SyncChecked(false);
  bar().Text1.SyncText("%TEMP% как есть");
  bar().imgPlay.Click();
  EXPECT_EQ(ui().modalShown.size(), 1u);
  bar().imgStop.Click();
  script::ScriptBuffer saved = LoadSaved();
  ASSERT_EQ(saved.header().blockCount, 2);
  saved.ReadNextBlock();
  saved.ReadNextBlock();
  EXPECT_EQ(saved.block.blockText, "%TEMP% как есть");
}

TEST_F(EngineTest, PauseBeforeTheFirstClickShowsNoPanelAndStopSavesNothing) {
  StartRecording();
  bar().imgPause.Click();
  EXPECT_EQ(bar().bounds().height, engine::bar_layout::kStripHeight);
  bar().imgPlay.Click();
  bar().imgStop.Click();
  EXPECT_FALSE(machine().files.FindEntry(kScriptPath));
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(EngineTest, TheBarDragsOpensThePanelRefusesLogOffAndUnhooksWhenClosed) {
  StartRecording();
  EXPECT_EQ(bar().bounds().x, (1024 - engine::bar_layout::kStripWidth) / 2);
  bar().lblAct.onMouseDown({ui::MouseButton::Left, 5, 5});
  EXPECT_EQ(ui().drags, std::vector<std::string>{"frmStels"});
  bar().Command3.Click();
  const auto& panel = machine().shell.launches.back();
  EXPECT_EQ(panel.file + " " + panel.parameters, "rundll32.exe shell32.dll,Control_RunDLL appwiz.cpl");
  EXPECT_EQ(panel.showCommand, 2);
  bar().Close(ui::CloseReason::SessionEnd);
  EXPECT_TRUE(bar().IsOpen());
  EXPECT_EQ(desktop().hookCount(), 1);
  bar().Close(ui::CloseReason::User);
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_EQ(desktop().hookCount(), 0);
}

// A script of one click on Next, then one on Finish, saved for playback.
class PlayerTest : public EngineTest {
 protected:
  std::string WriteScript(const std::string& name, const std::string& program, int clicks = 4) {
    script::ScriptBuffer& s = app().script;
    s.NewScript("");
    for (int i = 0; i < clicks; ++i) {
      s.BeginBlock();
      s.block.windowPath = {{"#32770", wizard.options().caption, 1},
                            {"Button", i + 1 == clicks ? "&Готово" : "&Далее >", 1}};
      s.block.mouseEvents = {{1, act::kPress, 10, 10}, {1, act::kRelease, 0, 0}};
      s.AppendBlock();
    }
    s.AppendProgramPath(program);
    s.AppendParameters("");
    s.AppendTimeStamp();
    s.ScrambleBuffer();
    const std::string path = std::string(kLibrary) + "\\" + name + ".OVS";
    machine().files.PutFile(path, s.bytes());
    return path;
  }
  int Interval() { return bar().tmrDo.interval(); }
};

TEST_F(PlayerTest, FastModeStartsAtTheFirstFindAndEndsAfterTenMisses) {
  app().settings.Save(app::setting::kSpeed, "0");
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100);  // tmrExit: the program starts, tmrDo searches at 500 ms
  EXPECT_EQ(Interval(), 500);
  ui().AdvanceTime(500);  // found: the first click, then 100 ms ticks
  EXPECT_EQ(Interval(), 100);
  EXPECT_EQ(wizard.page(), 2);
  // The wizard disappears: ten misses at 100 ms, then back to 500 ms.
  wizard.MoveTo(-2000, -2000);
  desktop().SetCaption(wizard.dialog, "Пропало");
  ui().AdvanceTime(950);
  EXPECT_EQ(Interval(), 100);
  ui().AdvanceTime(100);
  EXPECT_EQ(Interval(), 500);
  EXPECT_EQ(bar().lblAct.text(), "Поиск окна");
}

TEST_F(PlayerTest, ACoveredTargetGetsThreeForegroundAttemptsThenThirteenQuietTicks) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);  // started; the first block is played
  ASSERT_EQ(wizard.page(), 2);
  const WindowHandle cover = wizard.Cover();
  desktop().SetWindowPos(cover, platform::ZOrder::Topmost, 0);  // foreground cannot help
  std::vector<int> attemptTicks;
  for (int tick = 1; tick <= 22; ++tick) {
    const size_t before = desktop().foregroundCalls.size();
    ui().AdvanceTime(500);
    if (desktop().foregroundCalls.size() > before) attemptTicks.push_back(tick);
  }
  EXPECT_EQ(attemptTicks, (std::vector<int>{4, 5, 6, 21, 22}));
  EXPECT_EQ(bar().lblAct.text(), "Нужное окно закрыто другим приложением");
  wizard.Uncover();
  ui().AdvanceTime(500);
  EXPECT_EQ(wizard.page(), 3);
}

TEST_F(PlayerTest, AQueueShowsItsPositionSkipsAMissingProgramAndEndsWithStatistics) {
  fake::FakeWizard second(machine(), {.programPath = "C:\\Setup\\Second.exe"});
  const std::string first = WriteScript("Первый", wizard.options().programPath);
  const std::string missing = WriteScript("Пропавший", "C:\\Setup\\Gone.exe");
  const std::string third = WriteScript("Третий", "C:\\Setup\\Second.exe");
  Play({first, missing, third});
  ui().AdvanceTime(100);
  EXPECT_EQ(bar().lblKolvoProg.text(), "1/3");
  for (int i = 0; i < 100 && !wizard.finished; ++i) ui().AdvanceTime(100);
  ASSERT_TRUE(wizard.finished);
  ui().AdvanceTime(100);  // the missing program: skipped within one advance tick
  ui().AdvanceTime(100);
  EXPECT_EQ(bar().lblKolvoProg.text(), "3/3");
  RunUntilStatistics();
  EXPECT_TRUE(second.finished);
  ASSERT_EQ(statLines.size(), 5u);
  EXPECT_NE(statLines[0].find("ОК"), std::string::npos);
  EXPECT_NE(statLines[1].find("NO"), std::string::npos);
  EXPECT_NE(statLines[2].find("ОК"), std::string::npos);
}

TEST_F(PlayerTest, NextAndStopCloseTheEntryAsInterrupted) {
  fake::FakeWizard second(machine(), {.programPath = "C:\\Setup\\Second.exe"});
  Play({WriteScript("Один", wizard.options().programPath),
        WriteScript("Два", "C:\\Setup\\Second.exe")});
  ui().AdvanceTime(600);
  ASSERT_EQ(wizard.page(), 2);
  bar().imgPlayNext.Click();
  ui().AdvanceTime(100);
  EXPECT_TRUE(second.running());
  EXPECT_EQ(app().statistics.entries()[0].result, dialogs::stat_result::kInterrupted);
  bar().imgStop.Click();
  EXPECT_EQ(statShown, 1);
  ASSERT_EQ(statLines.size(), 4u);
  EXPECT_NE(statLines[1].find("MB"), std::string::npos) << statLines[1];
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_TRUE(app().MainWindow().IsVisible());
}

TEST_F(PlayerTest, AStepTickIsNotEnteredAgainWhileTheReplayPumpsMessages) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100);
  int nested = 0;
  desktop().onPump = [&] {
    if (nested++ == 0) bar().tmrDo.Tick();
  };
  ui().AdvanceTime(500);
  desktop().onPump = nullptr;
  EXPECT_EQ(wizard.page(), 2);
  EXPECT_EQ(app().script.blocksRead(), 2);  // block 1 played once, block 2 waits
}

TEST_F(PlayerTest, UnattendedRunGivesUpAfterItsTimeOutAndReportsWhere) {
  fake::FakeWizard second(machine(), {.programPath = "C:\\Setup\\Second.exe"});
  const std::string stuck = WriteScript("Застрял", wizard.options().programPath);
  const std::string good = WriteScript("Второй", "C:\\Setup\\Second.exe");
  app().unattended = app::UnattendedRun{0, 5, "C:\\Отчёты\\run.txt"};
  machine().files.MakeFolders("C:\\Отчёты");
  Play({stuck, good});
  ui().AdvanceTime(100);
  desktop().SetCaption(wizard.dialog, "Другая программа");
  for (int i = 0; i < 200 && bar().IsOpen(); ++i) ui().AdvanceTime(100);
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_EQ(statShown, 0);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(ui().exitCode, 1);
  const auto report = machine().files.ReadFile("C:\\Отчёты\\run.txt");
  ASSERT_TRUE(report);
  EXPECT_NE(report->find("Не завершено: Застрял (строка 1)\r\n  Блок: 1 из 4\r\n"
                         "  Окно: \"#32770\" \"Установка Demo App \" 1 > \"Button\" \"&Далее >\" 1\r\n"
                         "  Причина: окно не найдено\r\n  Снимок экрана: run-1.png"),
            std::string::npos)
      << *report;
  const auto png = machine().files.ReadFile("C:\\Отчёты\\run-1.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_FALSE(machine().files.FindEntry("C:\\Отчёты\\run-2.png"));
}

TEST(WindowFinder, OrdinalsOwnedDialogsAndTheDesktop) {
  sim::SimDesktop desktop;
  const sim::SimSystem system;
  const WindowHandle owner = desktop.AddWindow(0, "Main", "Программа", {0, 0, 400, 300});
  const WindowHandle dialog = desktop.AddWindow(owner, "#32770", "", {10, 10, 300, 200});
  desktop.AddWindow(dialog, "Button", "OK", {20, 20, 50, 20});
  const WindowHandle second = desktop.AddWindow(dialog, "Button", "OK", {80, 20, 50, 20});
  engine::WindowPath path;
  engine::DescribeWindow(desktop, system, second, path);
  ASSERT_EQ(path.size(), 3u);
  EXPECT_EQ(path[1], (script::WindowStep{"#32770", "", 1}));
  EXPECT_EQ(path[2], (script::WindowStep{"Button", "OK", 2}));
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, path), second);

  // An empty caption matches any; a changed caption does not.
  desktop.SetCaption(dialog, "Вопрос");
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, path), second);
  path[2].caption = "Отмена";
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, path), 0u);

  // Ordinal 0: found among the top-level windows by class and caption.
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, {{"Main", "Программа", 0}}), owner);
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, {{"#32769", "", -1}}),
            desktop.DesktopWindow());
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, {}), 0u);
  EXPECT_EQ(engine::FindNthWindow(desktop, system, dialog, "Button", std::nullopt, 3), 0u);
}

TEST(WindowFinder, TextsTheCodePageCannotHoldAreFoundAsTheScriptStoresThem) {
  sim::SimDesktop desktop;
  const sim::SimSystem system;
  desktop.AddWindow(0, "Wnd日本", "Установка 中文 ", {0, 0, 400, 300});  // stored alike
  const WindowHandle wizard = desktop.AddWindow(0, "Wnd日本", "Установка 日本 ", {0, 0, 400, 300});
  desktop.AddWindow(wizard, "Button", "Далее ✓", {10, 10, 50, 20});
  const WindowHandle next = desktop.AddWindow(wizard, "Button", "Далее ✔", {80, 10, 50, 20});
  script::ScriptBuffer script(system, [](const std::string& t) { return t; });
  script.NewScript("");
  script.BeginBlock();
  engine::DescribeWindow(desktop, system, next, script.block.windowPath);
  script.block.mouseEvents = {{1, 1, 5, 5}};
  script.AppendBlock();
  ASSERT_TRUE(script.AppendProgramPath("C:\\setup.exe"));
  script.AppendParameters("");
  script.AppendTimeStamp();
  ASSERT_TRUE(script.ReadHeader());
  script.RewindBlocks();
  ASSERT_TRUE(script.ReadNextBlock());
  const engine::WindowPath& stored = script.block.windowPath;
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].className, "Wnd??");
  EXPECT_EQ(stored[0].caption, "Установка ?? ");
  EXPECT_EQ(stored[1], (script::WindowStep{"Button", "Далее ?", 2}));
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, stored), next);
}

}  // namespace
