// Playing and recording on a desktop as strict as Windows where unattended
// runs die: the foreground lock, several monitors, a locked workstation,
// swapped buttons, hung windows, hidden pages, owned message boxes, and the
// control bar closed by the system.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using namespace engine_test;

constexpr const char* kReport = "C:\\Отчёты\\run.txt";

class RealDesktop : public PlayerTest {
 protected:
  void RunUntilFinished(long long ms = 20000) {
    for (long long t = 0; t < ms && !wizard.finished; t += 100) ui().AdvanceTime(100);
  }
  void RunUntilClosed(long long ms = 60000) {
    for (long long t = 0; t < ms && bar().IsOpen(); t += 100) ui().AdvanceTime(100);
  }
  void Unattended(bool messages = false) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, 30, kReport, messages};
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
  // An unattended run of one script through the wizard, to its end.
  void PlayUnattended(const std::string& name = "Demo") {
    Unattended();
    Play({WriteScript(name, wizard.options().programPath)});
    RunUntilClosed();
  }
  // The wizard installed with one click on each page, and the run says so.
  void ExpectEachPageClickedOnce() {
    EXPECT_TRUE(wizard.finished) << Report();
    EXPECT_EQ(wizard.clickedPages, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
  }
  WindowHandle OtherProgramWindow(sim::ScreenRect rect) {
    const WindowHandle w = desktop().AddWindow(0, "Chrome_WidgetWin_1", "Браузер", rect);
    desktop().SetProcess(w, sim::SimDesktop::kOtherProcess + 7);
    return w;
  }
};

TEST_F(RealDesktop, ACoveredWizardIsBroughtForwardThoughThePlainForegroundCallIsRefused) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);
  ASSERT_EQ(wizard.page(), 2);
  const WindowHandle dialog = wizard.dialog;
  wizard.Cover();  // a readme opens over the buttons and takes the foreground
  desktop().SetForeground(dialog);
  ASSERT_NE(desktop().ForegroundWindow(), wizard.dialog) << "the lock refuses the plain call";

  RunUntilFinished();
  EXPECT_TRUE(wizard.finished);
  ASSERT_FALSE(desktop().forceForegroundCalls.empty());
  for (WindowHandle w : desktop().forceForegroundCalls) EXPECT_EQ(w, dialog);
}

TEST_F(RealDesktop, APressWaitsUntilItsWizardIsTheForegroundWindow) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);
  ASSERT_EQ(wizard.page(), 2);
  // Another program takes the foreground without covering the buttons: a
  // press now would only activate the wizard and be cancelled by it.
  OtherProgramWindow({0, 0, 200, 100});
  RunUntilFinished();
  EXPECT_TRUE(wizard.finished);
}

TEST_F(RealDesktop, AClickWhosePressNeverReachedItsButtonIsPlayedAgainWithoutSkippingAPage) {
  // The press of the first "Далее >" is lost on its way, although the wizard
  // is the foreground: the block must not count as played.
  desktop().lateActivations = 1;
  PlayUnattended();
  ExpectEachPageClickedOnce();
  EXPECT_EQ(desktop().cancelledPresses, 1);
  EXPECT_EQ(Report().find("Воспроизведено сообщениями"), std::string::npos) << Report();

  // Presses that are lost every time: the block goes by window messages,
  // and the report says so.
  wizard.finished = false;
  desktop().lateActivations = 1000;
  PlayUnattended("Второй");
  EXPECT_TRUE(wizard.finished);
  EXPECT_NE(Report().find("Воспроизведено сообщениями окон: Второй (строка 1)"), std::string::npos)
      << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete);
}

TEST_F(RealDesktop, AClickThatTheButtonLetGoWithoutClickingIsPlayedOnceMore) {
  // The button shows the press, then loses it before the release: the
  // wizard stays where it was, its thread answering, nothing changes.
  desktop().lostReleases = 1;
  PlayUnattended();
  ExpectEachPageClickedOnce();
}

TEST_F(RealDesktop, AButtonThatAStrayMoveRaisedAfterItsPressIsPressedAgainByAMoveBack) {
  // Every button of the run loses its pushed state right after the press.
  desktop().strayMoves = 1000;
  PlayUnattended();
  ExpectEachPageClickedOnce();
  EXPECT_EQ(Report().find("сообщениями"), std::string::npos) << Report();
}

TEST_F(RealDesktop, TheControlBarOverThePressPointStepsAsideAtOnce) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100);
  const sim::ScreenRect next = desktop().RectOf(wizard.next);
  bar().SetBounds({next.left - 100, next.top - 5, 457, 43});
  ASSERT_TRUE(script::IsControlBarWindow(
      app(), desktop().WindowFromPoint(desktop().ClientToScreen(wizard.next, {10, 10}))));
  ui().AdvanceTime(500);
  EXPECT_EQ(wizard.page(), 2) << "out of the top-most band the bar still covers the target";
  EXPECT_FALSE(desktop().RectOf(bar().handle()).Contains(Center(desktop(), wizard.next)));
  EXPECT_TRUE(desktop().IsTopmost(bar().handle()));
}

TEST_F(RealDesktop, AtOneHundredFiftyPercentTheBarStepsAsideAndStaysOnTheScreen) {
  ui().dpi = 144;
  machine().system.screenWidth = desktop().screenWidth = 1536;
  machine().system.screenHeight = desktop().screenHeight = 1152;
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100);
  const sim::ScreenRect bar0 = desktop().RectOf(bar().handle());
  EXPECT_NEAR(bar0.left + bar0.width / 2, 1536 / 2, 2) << "centred on the screen";
  // The bar (at 96 dpi: 457 x 43) lies over the Next button's pixels.
  const Point press = desktop().ClientToScreen(wizard.next, {10, 10});
  bar().SetBounds({press.x * 2 / 3 - 100, press.y * 2 / 3 - 10, 457, 43});
  ASSERT_TRUE(script::IsControlBarWindow(app(), desktop().WindowFromPoint(press)));
  ui().AdvanceTime(500);
  EXPECT_EQ(wizard.page(), 2);
  const sim::ScreenRect moved = desktop().RectOf(bar().handle());
  EXPECT_FALSE(moved.Contains(press));
  EXPECT_LE(moved.top + moved.height, 1152);
}

TEST_F(RealDesktop, AWizardOnAMonitorLeftOfThePrimaryOneIsPressedWhereItIs) {
  desktop().otherMonitors = {{-1280, -200, 1280, 1024}};
  wizard.MoveTo(-1100, -100);
  Play({WriteScript("Demo", wizard.options().programPath)});
  RunUntilFinished();
  EXPECT_TRUE(wizard.finished);
  ASSERT_FALSE(desktop().injected.empty());
  EXPECT_LT(desktop().injected.front().pixel.x, 0);
}

TEST_F(RealDesktop, SwappedMouseButtonsStillPressWithThePrimaryButton) {
  desktop().buttonsSwapped = true;
  Play({WriteScript("Demo", wizard.options().programPath)});
  RunUntilFinished();
  EXPECT_TRUE(wizard.finished);
}

TEST_F(RealDesktop, OnALockedWorkstationTheWizardIsPlayedByWindowMessagesAndTheReportSaysSo) {
  desktop().workstationLocked = true;
  Unattended();
  Play({WriteScript("Ночной", wizard.options().programPath)});
  RunUntilClosed();
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(wizard.disabledClicks, 0) << "a message reaches a disabled button too";
  EXPECT_TRUE(desktop().injected.empty());
  EXPECT_GT(desktop().refusedInjections, 0);
  EXPECT_NE(Report().find("Воспроизведено сообщениями окон: Ночной (строка 1)"), std::string::npos)
      << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete);
}

TEST_F(RealDesktop, TheMessagesOptionPlaysEveryBlockByMessagesAndWaitsForDisabledButtons) {
  Unattended(/*messages=*/true);
  Play({WriteScript("Demo", wizard.options().programPath)});
  RunUntilClosed();
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(wizard.disabledClicks, 0);
  EXPECT_TRUE(desktop().injected.empty());
  EXPECT_EQ(desktop().posted.size(), 4u);
  for (const auto& p : desktop().posted) EXPECT_TRUE(p.buttonClick);
}

TEST_F(RealDesktop, AHungWizardGetsNoInputUntilItAnswersAgain) {
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);
  ASSERT_EQ(wizard.page(), 2);
  desktop().SetHung(wizard.dialog, true);
  const size_t before = desktop().injected.size();
  ui().AdvanceTime(3000);
  EXPECT_EQ(desktop().injected.size(), before);
  EXPECT_EQ(bar().lblAct.text(), "Выполняется ожидание установки");
  desktop().SetHung(wizard.dialog, false);
  RunUntilFinished();
  EXPECT_TRUE(wizard.finished);
}

TEST_F(RealDesktop, AControlOnAHiddenPageIsNotFoundRatherThanCovered) {
  Unattended();
  app().unattended->timeoutSeconds = 2;
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);
  ASSERT_GE(wizard.page(), 2);
  desktop().SetVisible(wizard.next, false);  // its page was left behind, hidden
  ui().AdvanceTime(500);
  EXPECT_EQ(bar().lblAct.text(), "Поиск окна");
  RunUntilClosed();
  EXPECT_NE(Report().find("Причина: окно не найдено"), std::string::npos) << Report();
}

TEST(WindowFinder, AnOwnedMessageBoxIsNoChildOfItsOwnerAndIsFoundAmongTheTopLevelWindows) {
  sim::SimDesktop desktop;
  const sim::SimSystem system;
  const std::string caption = "Установка Demo App ";
  const WindowHandle wizard = desktop.AddWindow(0, "#32770", caption, {100, 100, 500, 400});
  // The wizard's own page has the box's class and caption too.
  desktop.AddWindow(wizard, "#32770", caption, {110, 110, 480, 300});
  const WindowHandle box = desktop.AddOwnedWindow(wizard, "#32770", caption, {200, 200, 300, 120});
  const WindowHandle yes = desktop.AddWindow(box, "Button", "&Да", {260, 280, 75, 23});
  EXPECT_EQ(desktop.Parent(box), wizard) << "GetParent gives the owner of a popup";
  EXPECT_EQ(desktop.FindWindow(wizard, 0, "Button", std::nullopt), 0u);
  EXPECT_EQ(desktop.RootWindow(yes), box);

  engine::WindowPath path;
  engine::DescribeWindow(desktop, system, yes, path);
  ASSERT_EQ(path.size(), 3u);
  // The box in front is the first top-level window of that class and caption.
  EXPECT_EQ(path[0], (script::WindowStep{"#32770", caption, 2}));
  EXPECT_EQ(path[1], (script::WindowStep{"#32770", caption, 0}));
  EXPECT_EQ(path[2], (script::WindowStep{"Button", "&Да", 1}));
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, path), yes);
  // In front of its owner even after the owner was brought forward.
  desktop.SetWindowPos(wizard, platform::ZOrder::Top, 0);
  EXPECT_EQ(engine::FindTargetWindow(desktop, system, path), yes);
  EXPECT_EQ(desktop.WindowFromPoint({270, 290}), yes);
}

TEST_F(EngineTest, ASetupsOwnQuestionIsRecordedAndAnsweredOnPlayback) {
  fake::FakeWizard asking(machine(), {.programPath = "C:\\Setup\\Asking.exe", .confirmCancel = true});
  app().recordingMode = true;
  app().pendingPackage = {"C:\\Setup\\Asking.exe", "Demo", "", ""};
  bar().Open();
  UserClick(asking.cancel);
  ASSERT_NE(asking.question, 0u);
  UserClick(asking.questionYes);
  ASSERT_TRUE(asking.cancelled);
  bar().imgStop.Click();

  Play({kScriptPath});
  RunUntilStatistics();
  EXPECT_TRUE(asking.cancelled);
  EXPECT_NE(statLines[0].find("ОК"), std::string::npos) << statLines[0];
}

TEST_F(EngineTest, ClosingTheBarDuringARecordingSavesItLikeStop) {
  StartRecording();
  UserClick(wizard.next);
  bar().Close(ui::CloseReason::User);  // Alt+F4, or taskkill without /F
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_EQ(LoadSaved().header().blockCount, 1);
  EXPECT_TRUE(app().MainWindow().IsVisible());
  EXPECT_EQ(desktop().hookCount(), 0);
}

TEST_F(RealDesktop, ClosingTheBarOfAnUnattendedRunWritesItsReport) {
  Unattended();
  Play({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(100 + 500);
  bar().Close(ui::CloseReason::User);
  EXPECT_FALSE(bar().IsOpen());
  EXPECT_NE(Report().find("Причина: прервано пользователем"), std::string::npos) << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
}

TEST_F(RealDesktop, APauseHoldsBetweenTwoScriptsUntilContinue) {
  fake::FakeWizard second(machine(), {.programPath = "C:\\Setup\\Second.exe"});
  Play({WriteScript("Один", wizard.options().programPath),
        WriteScript("Два", "C:\\Setup\\Second.exe")});
  RunUntilFinished();
  ASSERT_TRUE(wizard.finished);
  bar().imgPause.Click();
  ui().AdvanceTime(3000);
  EXPECT_FALSE(second.running());
  EXPECT_FALSE(bar().tmrDo.enabled());
  EXPECT_EQ(bar().lblCaption.text(), "Пауза");
  bar().imgPlay.Click();
  RunUntilStatistics();
  EXPECT_TRUE(second.finished);
}

TEST_F(RealDesktop, MissingScriptsAreReportedWithoutTheBlocksOfTheScriptBefore) {
  Unattended();
  Play({WriteScript("Demo", wizard.options().programPath), std::string(kLibrary) + "\\Пропал.OVS",
        std::string(kLibrary) + "\\Тоже.OVS"});
  RunUntilClosed();
  EXPECT_NE(Report().find("Не завершено: Пропал (строка 2)\r\n  Блок: 0 из 0\r\n"), std::string::npos)
      << Report();
  // Two packages that did not complete are one exit code, not a count.
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
}

}  // namespace

namespace {

using namespace engine_test;

TEST_F(EngineTest, ClicksMadeWhileTheProgramIsBusyAreRecordedInOrderOnTheirWindows) {
  StartRecording();
  desktop().SetUiThreadBusy(true);  // a slow launch, say: the hook must hold on
  UserClick(wizard.next);
  UserClick(wizard.next);
  ASSERT_EQ(wizard.page(), 3);  // the install page: its Next is disabled now
  wizard.FinishInstalling();
  UserClick(wizard.next);  // the last page: the same button reads "&Готово" now
  ASSERT_EQ(desktop().WindowText(wizard.next), "&Готово");
  desktop().SetUiThreadBusy(false);
  bar().imgStop.Click();
  script::ScriptBuffer saved = LoadSaved();
  ASSERT_EQ(saved.header().blockCount, 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(saved.ReadNextBlock());
    ASSERT_EQ(saved.block.windowPath.size(), 2u);
    EXPECT_EQ(saved.block.windowPath[1].className, "Button");
    EXPECT_EQ(saved.block.windowPath[1].caption, "&Далее >");
  }
}

}  // namespace
