// Recording a setup wizard through the control bar and playing it back, on
// the simulated machine with its fake wizard.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using namespace engine_test;

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
  ASSERT_FALSE(desktop().forceForegroundCalls.empty());
  EXPECT_EQ(desktop().RootWindow(desktop().forceForegroundCalls.back()), wizard.dialog);
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
                                      {"Button", "&Далее >", 1, /*controlId=*/1}};
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


TEST_F(PlayerTest, AtTheFastSpeedAWindowIsPressedAsItAppearsRatherThanAtTheNextTick) {
  app().settings.Save(app::setting::kSpeed, "0");
  fake::FakeWizard quick(machine(), {.programPath = "C:\\Setup\\Quick.exe", .installPage = 0});
  Play({WriteScript("Demo", quick.options().programPath)});
  // At the fast speed the advance comes at once: the setup starts, and its
  // search tick would come at 510 ms.
  ui().AdvanceTime(engine::speed::kReactDelay);
  ui().AdvanceTime(engine::speed::kReactDelay);
  EXPECT_EQ(quick.page(), 2);
  // Each click shows the next page at once: its block follows at once.
  ui().AdvanceTime(3 * engine::speed::kReactDelay);
  EXPECT_TRUE(quick.finished);
  EXPECT_EQ(quick.clickedPages, (std::vector<int>{1, 2, 3, 4}));
  // Nor does the end of the queue wait for the advance timer's tick.
  ui().AdvanceTime(engine::speed::kReactDelay);
  EXPECT_EQ(statShown, 1);
}

TEST_F(PlayerTest, AtTheFastSpeedTheButtonAfterAFieldsTextIsPressedAtOnce) {
  app().settings.Save(app::setting::kSpeed, "0");
  fake::FakeWizard quick(machine(), {.programPath = "C:\\Setup\\Quick.exe", .installPage = 0});
  // The second block clicks into the folder field and puts the folder there.
  script::ScriptBuffer& s = app().script;
  s.NewScript("");
  const std::vector<script::WindowStep> dialog = {{"#32770", quick.options().caption, 1}};
  for (const char* button : {"&Далее >", "", "&Далее >", "&Далее >", "&Готово"}) {
    s.BeginBlock();
    s.block.windowPath = dialog;
    s.block.windowPath.push_back(*button ? script::WindowStep{"Button", button, 1}
                                         : script::WindowStep{"Edit", "", 1});
    s.block.mouseEvents = {{1, act::kPress, 5, 5}, {1, act::kRelease, 0, 0}};
    s.block.blockText = *button ? "" : "D:\\Demo";
    s.AppendBlock();
  }
  s.AppendProgramPath(quick.options().programPath);
  s.AppendParameters("");
  s.AppendTimeStamp();
  s.ScrambleBuffer();
  machine().files.PutFile(std::string(kLibrary) + "\\Поле.OVS", s.bytes());
  Play({std::string(kLibrary) + "\\Поле.OVS"});
  ui().AdvanceTime(8 * engine::speed::kReactDelay);  // the step timer's tick is at 510 ms
  EXPECT_TRUE(quick.finished) << "page " << quick.page();
  EXPECT_EQ(quick.installedTo, "D:\\Demo");
}

TEST_F(PlayerTest, AtTheFastSpeedTheSameButtonIsPressedAgainOnlyOnceItsNextPageShows) {
  // Each page comes a while after the click, longer than a tick, under the
  // same "Далее >".
  app().settings.Save(app::setting::kSpeed, "0");
  fake::FakeWizard slow(machine(), {.programPath = "C:\\Setup\\Slow.exe", .installPage = 0,
                                    .pageDelayMs = 250});
  Play({WriteScript("Demo", slow.options().programPath)});
  for (int t = 0; t < 3000 && !slow.finished; t += 10) ui().AdvanceTime(10);
  EXPECT_TRUE(slow.finished);
  EXPECT_EQ(slow.clickedPages, (std::vector<int>{1, 2, 3, 4})) << "a click fell on a page twice";
  EXPECT_LT(ui().nowMs, 100 + 3 * (250 + engine::speed::kReactDelay) + 50);
}

// Its pages come to the front and its Next button is renamed without a
// window event: the click acted all the same, and the renamed button is the
// next block's, pressed once.
TEST_F(PlayerTest, AClassLibraryWizardsRaisedPagesAndRenamedButtonCountAsTheClicksEffect) {
  for (const char* speed : {"0", "2"}) {
    SCOPED_TRACE(std::string("speed ") + speed);
    app().settings.Save(app::setting::kSpeed, speed);
    fake::FakeWizard library(machine(), {.programPath = std::string("C:\\Setup\\Lib") + speed + ".exe",
                                         .installPage = 0, .classLibrary = true});
    statLines.clear();
    library.clickedPages.clear();
    Play({WriteClicks(std::string("Lib") + speed, library.options().programPath,
                      {{"&Далее >", ""}, {"&Далее >", ""}, {"&Установить", ""}, {"&Готово", ""}})});
    RunUntilStatistics(20000);
    EXPECT_TRUE(library.finished);
    EXPECT_EQ(library.clickedPages, (std::vector<int>{1, 2, 3, 4})) << "a click fell on a page twice";
    ASSERT_FALSE(statLines.empty());
    EXPECT_NE(statLines[0].find("ОК"), std::string::npos) << statLines[0];
  }
}

TEST_F(PlayerTest, FastModeStartsAtTheFirstFindAndEndsAfterTenMisses) {
  app().settings.Save(app::setting::kSpeed, "0");
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(engine::speed::kReactDelay);  // the program starts, tmrDo searches at 500 ms
  EXPECT_EQ(Interval(), 500);
  // The window's events: found long before the search tick, the first click,
  // then 100 ms ticks.
  ui().AdvanceTime(engine::speed::kReactDelay);
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
  for (int tick = 1; tick <= 23; ++tick) {
    const size_t before = desktop().forceForegroundCalls.size();
    ui().AdvanceTime(500);
    if (desktop().forceForegroundCalls.size() > before) attemptTicks.push_back(tick);
  }
  // The first tick brings the wizard forward (the cover took the foreground);
  // then the cycle: three quiet ticks after the block, three attempts, 13 quiet.
  EXPECT_EQ(attemptTicks, (std::vector<int>{1, 5, 6, 7, 22, 23}));
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

// A screenshot that could not be saved (its file read-only, a full disk) is
// named nowhere, and the file there is kept. Before, the report named it.
TEST_F(PlayerTest, AScreenshotThatCouldNotBeSavedIsNotNamed) {
  app().unattended = app::UnattendedRun{0, 5, "C:\\Отчёты\\run.txt"};
  machine().files.MakeFolders("C:\\Отчёты");
  machine().files.PutFile("C:\\Отчёты\\run-1.png", "старый снимок");
  machine().files.SetReadOnly("C:\\Отчёты\\run-1.png", true);
  Play({WriteScript("Пропал", "C:\\Setup\\Нет.exe")});
  for (int i = 0; i < 100 && bar().IsOpen(); ++i) ui().AdvanceTime(100);
  const std::string report = machine().files.ReadFile("C:\\Отчёты\\run.txt").value_or("");
  EXPECT_NE(report.find("  Причина: программа установки не найдена\r\n"), std::string::npos)
      << report;
  EXPECT_EQ(report.find("Снимок экрана"), std::string::npos) << report;
  EXPECT_EQ(machine().files.ReadFile("C:\\Отчёты\\run-1.png"), "старый снимок");
}

TEST_F(PlayerTest, UnattendedRunGivesUpAfterItsTimeOutAndReportsWhere) {
  fake::FakeWizard second(machine(), {.programPath = "C:\\Setup\\Second.exe"});
  const std::string stuck = WriteScript("Застрял", wizard.options().programPath);
  const std::string good = WriteScript("Второй", "C:\\Setup\\Second.exe");
  app().unattended = app::UnattendedRun{0, 5, "C:\\Отчёты\\run.txt"};
  machine().files.MakeFolders("C:\\Отчёты");
  Play({stuck, good});
  ui().AdvanceTime(engine::speed::kReactDelay);  // the fast speed starts the setup at once
  desktop().SetCaption(wizard.dialog, "Другая программа");
  for (int i = 0; i < 200 && bar().IsOpen(); ++i) ui().AdvanceTime(100);
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_EQ(statShown, 0);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(ui().exitCode, 1);
  // The given-up setup was ended before the next one started.
  EXPECT_FALSE(machine().shell.ProcessRunning(wizard.process));
  EXPECT_FALSE(wizard.running());
  EXPECT_EQ(machine().shell.terminations, 1);
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

// Unattended runs with a report, and the report's text.
class SetupProcessTest : public PlayerTest {
 protected:
  static constexpr const char* kReport = "C:\\Отчёты\\run.txt";
  void PlayUnattended(std::vector<std::string> scripts, int timeoutSeconds = 0) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, timeoutSeconds, kReport};
    Play(std::move(scripts));
  }
  // Runs the timers until the bar closes or `ms` pass; the time it took.
  long long RunUntilClosed(long long ms = 120000) {
    const long long start = ui().nowMs;
    while (bar().IsOpen() && ui().nowMs - start < ms) ui().AdvanceTime(100);
    return ui().nowMs - start;
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
};

TEST_F(SetupProcessTest, ASetupThatQuitsWhileBlocksRemainEndsItsPackageAtOnce) {
  fake::FakeWizard quitter(machine(), {.programPath = "C:\\Setup\\Quit.exe", .quitAfterPage = 1});
  // The text of the block it stops at is not put into the next setup's window.
  PlayUnattended({WriteScript("Ушёл", "C:\\Setup\\Quit.exe", 4, "текст"),
                  WriteScript("Второй", wizard.options().programPath)});
  // Without a time-out, only the end of its processes can end the first.
  EXPECT_LT(RunUntilClosed(), 10000);
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(ui().exitCode, 1);
  EXPECT_NE(Report().find("Не завершено: Ушёл (строка 1)\r\n  Блок: 2 из 4\r\n"), std::string::npos)
      << Report();
  EXPECT_NE(Report().find("  Причина: программа установки завершилась\r\n"), std::string::npos);
}

TEST_F(SetupProcessTest, ABootstrapperIsFollowedThroughItsChildsWizard) {
  const std::string boot = "C:\\Setup\\Boot.exe";
  machine().files.PutFile(boot, "MZ");
  machine().shell.RegisterProgram(boot, [this](const sim::SimShell::ProgramStart& start) {
    machine().shell.StartChild(start.process, wizard.options().programPath, "");
    machine().shell.ExitProcess(start.process);
  });
  PlayUnattended({WriteScript("Через загрузчик", boot)});
  RunUntilClosed();
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(ui().exitCode, 0) << Report();
}

// "Next" leaves the first setup running; its wizard, alike to the second's,
// comes back in front of it.
TEST_F(SetupProcessTest, OnlyTheFollowedSetupsWindowsArePressed) {
  fake::FakeWizard left(machine(), {.programPath = "C:\\Setup\\Left.exe"});
  PlayUnattended({WriteClicks("Оставлен", left.options().programPath, {{"Нет такой кнопки", ""}}),
                  WriteScript("Второй", wizard.options().programPath)});
  while (!left.running()) ui().AdvanceTime(100);
  bar().imgPlayNext.Click();
  while (!wizard.running()) ui().AdvanceTime(10);
  desktop().SetWindowPos(left.dialog, platform::ZOrder::Top, 0);
  RunUntilClosed();
  EXPECT_TRUE(wizard.finished) << Report();
  EXPECT_TRUE(left.clickedPages.empty()) << "the setup left running was pressed";
  EXPECT_EQ(left.page(), 1);
}

TEST_F(SetupProcessTest, TheNextPackageWaitsForThePreviousSetupAndWindowsInstaller) {
  // Two MSI packages: the first one's msiexec holds the installer for 3 s
  // after its last window; the second fails with 1618 when it starts then.
  fake::WizardOptions msi{.programPath = "C:\\Setup\\Один.msi", .lingerMs = 3050, .msi = true};
  fake::FakeWizard first(machine(), msi);
  msi.programPath = "C:\\Setup\\Два.msi";
  fake::FakeWizard second(machine(), msi);
  PlayUnattended({WriteScript("Один", first.options().programPath),
                  WriteScript("Два", second.options().programPath)});
  for (int i = 0; i < 200 && !first.finished; ++i) ui().AdvanceTime(100);
  ASSERT_TRUE(first.finished);
  ui().AdvanceTime(2500);
  EXPECT_TRUE(second.launchParameters.empty());
  EXPECT_EQ(bar().lblAct.text(), "Ожидание завершения предыдущей установки");
  // At the fast speed the next package starts as soon as the installer is free.
  while (machine().shell.ProcessRunning(first.process)) ui().AdvanceTime(1);
  ui().AdvanceTime(engine::speed::kReactDelay + 1);
  EXPECT_EQ(second.launchParameters.size(), 1u);
  RunUntilClosed();
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(ui().exitCode, 0) << Report();
}

// Another installation holds Windows Installer: a package started now would
// fail at once (1618), so it waits as long as that one takes.
TEST_F(SetupProcessTest, ABusyWindowsInstallerIsWaitedForAsLongAsItTakes) {
  machine().shell.mutexes.insert(fake::kInstallerMutex);
  PlayUnattended({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(10 * 60000);
  EXPECT_TRUE(wizard.launchParameters.empty());
  machine().shell.mutexes.erase(fake::kInstallerMutex);
  RunUntilClosed();
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(ui().exitCode, 0) << Report();
}

// With a time-out, one that shows no progress for that long gives the
// package no turn: it says so, the next one waits again, and the run is to
// be tried again later, as a deployment system reads 1618.
TEST_F(SetupProcessTest, APackageThatAnInstallerNeverLetsInSaysSo) {
  machine().shell.mutexes.insert(fake::kInstallerMutex);
  PlayUnattended({WriteScript("Первый", wizard.options().programPath),
                  WriteScript("Второй", wizard.options().programPath)}, 90);
  ui().AdvanceTime(89000);
  EXPECT_TRUE(Report().find("1   NO") == std::string::npos) << Report();
  EXPECT_LT(RunUntilClosed(), 100000);
  EXPECT_TRUE(wizard.launchParameters.empty());
  EXPECT_EQ(ui().exitCode, 1618);
  EXPECT_NE(Report().find("Не завершено: Первый (строка 1)\r\n  Блок: 0 из 0\r\n"
                          "  Причина: Windows Installer занят другой установкой\r\n"),
            std::string::npos) << Report();
  EXPECT_NE(Report().find("Не завершено: Второй (строка 2)"), std::string::npos);
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
