// A night's run with nobody at the keyboard: long installations, hung ones,
// a machine that sleeps, a session that ends, loaders and a busy desktop.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

using namespace engine_test;

constexpr const char* kReport = "C:\\Отчёты\\night.txt";

class NightRun : public PlayerTest {
 protected:
  void Unattended(int timeoutSeconds, const std::string& report = kReport) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, timeoutSeconds, report};
  }
  // Runs the timers until the bar closes or `ms` pass, `each` every second.
  void RunUntilClosed(long long ms, const std::function<void()>& each = nullptr) {
    for (long long t = 0; t < ms && bar().IsOpen(); t += 100) {
      ui().AdvanceTime(100);
      if (each && t % 1000 == 0) each();
    }
  }
  void RunUntilPage(fake::FakeWizard& w, int page) {
    for (int i = 0; i < 200 && w.page() != page; ++i) ui().AdvanceTime(100);
    ASSERT_EQ(w.page(), page);
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
};

// The install page keeps its buttons disabled until the test says it is done.
fake::WizardOptions LongInstall(const std::string& program = "C:\\Setup\\Long.exe") {
  return {.programPath = program, .installMs = 0};
}

TEST_F(NightRun, ASetupThatWorksIsWaitedForBeyondTheTimeOutOneThatDoesNotIsGivenUp) {
  fake::FakeWizard working(machine(), LongInstall());
  fake::FakeWizard idle(machine(), LongInstall("C:\\Setup\\Idle.exe"));
  fake::FakeWizard hung(machine(), LongInstall("C:\\Setup\\Hung.exe"));
  Unattended(5);
  Play({WriteScript("Долгая", working.options().programPath),
        WriteScript("Стоит", idle.options().programPath),
        WriteScript("Зависла", hung.options().programPath)});
  RunUntilPage(working, 3);
  // Copying for 40 s: processor time and file writes, eight times the limit.
  RunUntilClosed(40000, [&] { machine().shell.DoWork(working.process, 200); });
  ASSERT_TRUE(bar().IsOpen());
  working.FinishInstalling();
  RunUntilPage(idle, 3);
  // A wizard that waits for nothing that comes is charged a clock tick now and then.
  const long long idleSince = ui().nowMs;
  for (int i = 0; i < 200 && hung.launchParameters.empty(); ++i) {
    ui().AdvanceTime(100);
    if (i % 10 == 0) machine().shell.DoWork(idle.process, 16);  // a clock tick
  }
  EXPECT_GE(ui().nowMs - idleSince, 5000);
  EXPECT_LT(ui().nowMs - idleSince, 7000);
  RunUntilPage(hung, 3);
  desktop().SetHung(hung.dialog, true);
  RunUntilClosed(20000);

  EXPECT_TRUE(working.finished);
  EXPECT_FALSE(idle.running());
  EXPECT_FALSE(hung.running());
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
  EXPECT_NE(Report().find("Не завершено: Стоит (строка 2)\r\n  Блок: 3 из 4\r\n"), std::string::npos)
      << Report();
  EXPECT_NE(Report().find("Причина: окно не принимает ввод\r\n"), std::string::npos);
  EXPECT_NE(Report().find("Не завершено: Зависла (строка 3)"), std::string::npos);
  EXPECT_NE(Report().find("Причина: программа установки не отвечает\r\n"), std::string::npos);
  EXPECT_EQ(Report().find("Не завершено: Долгая (строка"), std::string::npos);
}

TEST_F(NightRun, OnlyTheSetupsOwnWindowsCountAsItsProgressAndItsReaction) {
  // A chat program on the desktop renames its window all the time.
  const WindowHandle chat = desktop().AddWindow(0, "ChatWindow", "Чат", {0, 0, 200, 100});
  desktop().SetProcess(chat, sim::SimDesktop::kOtherProcess + 5);
  int messages = 0;
  std::function<void()> chatter = [&] {
    desktop().SetCaption(chat, "Чат (" + std::to_string(++messages) + ")");
    ui().Schedule(20, chatter);
  };
  ui().Schedule(20, chatter);
  // A wizard that shows each page a moment after the click: a second press
  // before then would skip a page.
  fake::FakeWizard slow(machine(), {.programPath = "C:\\Setup\\Slow.exe", .pageDelayMs = 300});
  fake::FakeWizard idle(machine(), LongInstall("C:\\Setup\\Idle.exe"));
  Unattended(5);
  Play({WriteScript("Медленный", slow.options().programPath),
        WriteScript("Стоит", idle.options().programPath)});
  RunUntilPage(idle, 3);
  // Its own status line changing is progress; the chat is not.
  for (int i = 0; i < 10; ++i) {
    desktop().SetCaption(idle.title, "Копирование файла " + std::to_string(i));
    ui().AdvanceTime(1000);
  }
  ASSERT_TRUE(bar().IsOpen());
  const long long quietSince = ui().nowMs;
  RunUntilClosed(20000);
  EXPECT_LT(ui().nowMs - quietSince, 7000);

  EXPECT_GT(messages, 100);
  EXPECT_TRUE(slow.finished);
  EXPECT_EQ(slow.clickedPages, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_FALSE(idle.running());
}

TEST_F(NightRun, TheReportIsWrittenAsTheRunGoesAndTheExitCodeTellsTheTruthWithoutIt) {
  fake::FakeWizard second(machine(), LongInstall("C:\\Setup\\Second.exe"));
  Unattended(0);
  Play({WriteScript("Первый", wizard.options().programPath),
        WriteScript("Второй", second.options().programPath),
        WriteScript("Третий", "C:\\Setup\\Нет.exe")});
  EXPECT_EQ(Report(), "Запуск не закончен: пройдено пакетов 0 из 3\r\n");
  EXPECT_TRUE(machine().system.keptAwake);
  EXPECT_FALSE(ui().shutdownReasons["frmStels"].empty());
  RunUntilPage(second, 3);
  // Killed here (a forced restart): the report holds the first package.
  EXPECT_NE(Report().find("1   ОК  Первый"), std::string::npos) << Report();
  EXPECT_NE(Report().find("\r\nЗапуск не закончен: пройдено пакетов 1 из 3\r\n"),
            std::string::npos);
  // The session ends anyway: the report is completed before the process
  // goes, and says what is left to the run that goes on after the restart.
  bar().onSessionEnd();
  EXPECT_NE(Report().find("2   MB  Второй"), std::string::npos) << Report();
  EXPECT_NE(Report().find("Причина: сеанс Windows завершён"), std::string::npos);
  EXPECT_TRUE(Report().ends_with("\r\nЗапуск не закончен: пройдено пакетов 2 из 3\r\n")) << Report();
  bar().Close();
  EXPECT_FALSE(machine().system.keptAwake);
  EXPECT_TRUE(ui().shutdownReasons["frmStels"].empty());
}

// The stop button, Alt+F4 on the bar or a polite taskkill between two packages.
TEST_F(NightRun, AStopBetweenTwoPackagesIsNoSuccessAndCountsThePackagesNotStarted) {
  Unattended(0);
  Play({WriteScript("Первый", wizard.options().programPath),
        WriteScript("Второй", wizard.options().programPath),
        WriteScript("Третий", wizard.options().programPath)});
  // Just after the first package's last click, before the advance to the next.
  for (int ms = 0; ms < 20000 && wizard.clickedPages.size() < 4; ++ms) ui().AdvanceTime(1);
  ASSERT_TRUE(wizard.finished);
  ASSERT_EQ(app().statistics.entries().size(), 1u) << "the second package has started";
  bar().imgStop.Click();
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
  EXPECT_NE(Report().find("1   ОК  Первый"), std::string::npos) << Report();
  EXPECT_TRUE(Report().ends_with("\r\nЗапуск остановлен: не начато пакетов - 2\r\n")) << Report();
}

TEST_F(NightRun, WithoutAReportAnIncompleteRunExitsWithOneAfterItsStatistics) {
  Unattended(0, "");
  Play({WriteScript("Первый", wizard.options().programPath),
        WriteScript("Нет", "C:\\Setup\\Нет.exe")});
  RunUntilStatistics();
  EXPECT_EQ(statShown, 1);
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
}

TEST_F(NightRun, TimeAsleepIsNoWait) {
  fake::FakeWizard idle(machine(), LongInstall("C:\\Setup\\Idle.exe"));
  Unattended(30);
  Play({WriteScript("Стоит", idle.options().programPath)});
  RunUntilPage(idle, 3);
  ui().AdvanceTime(10000);
  machine().Sleep(3600 * 1000);  // the lid closed for an hour
  ui().AdvanceTime(1000);
  EXPECT_TRUE(idle.running()) << Report();
  RunUntilClosed(25000);
  EXPECT_FALSE(idle.running());
  EXPECT_NE(Report().find("Причина: окно не принимает ввод"), std::string::npos) << Report();
}

// A loader runs the real wizard and waits for it, or hands over and exits
// before anything could be put into a job after it started.
TEST_F(NightRun, ALoadersWizardIsFollowedFromTheStartAndEndedWithIt) {
  fake::FakeWizard child(machine(), LongInstall("C:\\Temp\\setup-copy.exe"));
  const std::string waiting = "C:\\Setup\\Loader.exe", handing = "C:\\Setup\\Handover.exe";
  int loader = 0;
  for (const std::string& path : {waiting, handing}) {
    machine().files.PutFile(path, "MZ");
    machine().shell.RegisterProgram(path, [&, path](const sim::SimShell::ProgramStart& start) {
      machine().shell.StartChild(start.process, child.options().programPath, "");
      if (path == handing) machine().shell.ExitProcess(start.process);
      loader = start.process;
    });
  }
  Unattended(5);
  Play({WriteScript("Загрузчик", waiting), WriteScript("Передал", handing)});
  RunUntilPage(child, 3);
  const int waitingLoader = loader;
  // Given up: the loader and its wizard are ended, the next one starts.
  for (int i = 0; i < 100 && child.launchParameters.size() < 2; ++i) ui().AdvanceTime(100);
  ASSERT_EQ(child.launchParameters.size(), 2u);
  EXPECT_FALSE(machine().shell.ProcessRunning(waitingLoader));
  RunUntilPage(child, 3);
  child.FinishInstalling();
  RunUntilClosed(20000);
  EXPECT_TRUE(child.finished);
  EXPECT_NE(Report().find("2   ОК  Передал"), std::string::npos) << Report();
}

}  // namespace

namespace {

// Clicks and texts sent as window messages count only once they arrived.
class MessagesArrive : public NightRun {
 protected:
  void PlayByMessages(std::vector<std::string> scripts) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, 30, kReport, /*messages=*/true};
    Play(std::move(scripts));
  }
  // A notifier of another program takes the foreground from the wizard.
  void Notifier() {
    const WindowHandle w = desktop().AddWindow(0, "Notifier", "Обновление", {0, 700, 300, 60});
    desktop().SetProcess(w, sim::SimDesktop::kOtherProcess + 3);
  }
  // A label of the wizard's that counts down every 300 ms, as long as the
  // wizard runs.
  void Clock(int left = 600) {
    if (!wizard.running()) return;
    if (clock_ == 0 || !desktop().IsWindow(clock_)) {
      const sim::ScreenRect r = desktop().RectOf(wizard.dialog);
      clock_ = desktop().AddWindow(wizard.dialog, "Static", "", {r.left + 12, r.top + 330, 200, 20});
    }
    desktop().SetCaption(clock_, "Осталось: " + std::to_string(left) + " с");
    ui().Schedule(300, [this, left] { Clock(left - 1); });
  }
  WindowHandle clock_ = 0;
};

// The wizard shows a clock, and its dialog, not active, ignores the clicks
// it is posted: the clock's ticks are no sign that a click arrived, which is
// told to the dialog the second time. Before, every tick confirmed a click
// that never arrived, and the wizard stayed on its first page.
TEST_F(MessagesArrive, AClockOnThePageIsNoSignThatAClickArrived) {
  PlayByMessages({WriteScript("Demo", wizard.options().programPath)});
  ui().AdvanceTime(engine::speed::kReactDelay);
  Notifier();
  Clock();
  RunUntilClosed(30000);
  EXPECT_GT(desktop().ignoredButtonClicks, 0);
  EXPECT_EQ(wizard.clickedPages, (std::vector<int>{1, 2, 3, 4})) << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
}

// A check box whose dialog is not active and cannot be brought forward
// ignores its posted click: the second time it is given its check and its
// dialog the notice of the click, as a push button is. Before, it was
// clicked three times the same way, and the package given up.
TEST_F(MessagesArrive, ACheckBoxIsGivenItsCheckAndItsNoticeOnTheSecondTry) {
  const std::string next = fake::FakeWizard::kNextCaption;
  PlayByMessages({WriteClicks("Ярлык", wizard.options().programPath,
                              {{"Создать ярлык", ""}, {next, ""}, {next, ""}, {next, ""},
                               {fake::FakeWizard::kFinishCaption, ""}})});
  ui().AdvanceTime(engine::speed::kReactDelay);
  const sim::ScreenRect r = desktop().RectOf(wizard.dialog);
  const WindowHandle box = desktop().AddWindow(wizard.dialog, "Button", "Создать ярлык",
                                               {r.left + 12, r.top + 200, 200, 20});
  desktop().SetButtonKind(box, platform::ButtonKind::Check);
  int notices = 0, checkAtNotice = -1;
  desktop().SetOnClick(box, [&] {
    ++notices;
    checkAtNotice = desktop().CheckState(box);
  });
  Notifier();
  desktop().foregroundRefused = true;
  RunUntilClosed(30000);
  EXPECT_EQ(wizard.clickedPages, (std::vector<int>{1, 2, 3, 4})) << Report();
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(checkAtNotice, 1);
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
}

TEST_F(MessagesArrive, AClickThatAnInactiveDialogIgnoredIsSentAgainAndATextThatWasLostIsPutAgain) {
  const std::string next = fake::FakeWizard::kNextCaption;
  PlayByMessages({WriteClicks("Demo", wizard.options().programPath,
                              {{next, ""},
                               {"Edit", "D:\\Программы\\Demo"},
                               {next, ""},
                               {next, ""},
                               {fake::FakeWizard::kFinishCaption, ""}})});
  ui().AdvanceTime(engine::speed::kReactDelay);
  Notifier();
  desktop().lostTexts = 1;
  RunUntilClosed(30000);
  EXPECT_GT(desktop().ignoredButtonClicks, 0);
  EXPECT_EQ(wizard.clickedPages, (std::vector<int>{1, 2, 3, 4})) << Report();
  EXPECT_EQ(wizard.installedTo, "D:\\Программы\\Demo") << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
}

// Clicks by window messages into two lists: one selects its item, the other
// reads the pointer itself and takes no notice. The first counts, the
// second is not played again (a second click could undo a first) and the
// report says that it could not be confirmed. Before, both went for done.
TEST_F(MessagesArrive, AClickIntoAListCountsByItsSelectionOrIsNoted) {
  const std::string next = fake::FakeWizard::kNextCaption;
  PlayByMessages({WriteClicks("Списки", wizard.options().programPath,
                              {{"ListBox", ""}, {"ListBox", ""}, {next, ""}, {next, ""},
                               {next, ""}, {fake::FakeWizard::kFinishCaption, ""}})});
  ui().AdvanceTime(engine::speed::kReactDelay);
  const sim::ScreenRect r = desktop().RectOf(wizard.dialog);
  WindowHandle lists[2];
  for (int i = 0; i < 2; ++i) {
    lists[i] = desktop().AddWindow(wizard.dialog, "ListBox", "",
                                   {r.left + 12 + 240 * i, r.top + 200, 200, 100});
    desktop().SetSelection(lists[i], -1);
  }
  desktop().SetOnClickAt(lists[0], [&](Point) { desktop().SetSelection(lists[0], 0); });
  desktop().SetIgnoresPostedMouse(lists[1]);
  RunUntilClosed(30000);
  EXPECT_EQ(wizard.clickedPages, (std::vector<int>{1, 2, 3, 4})) << Report();
  EXPECT_NE(Report().find("Нажатие не подтверждено: Списки (строка 1)\r\n  Блок: 2 из 6\r\n"),
            std::string::npos)
      << Report();
  EXPECT_EQ(Report().find("Блок: 1 из 6"), std::string::npos) << Report();
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
}

TEST_F(MessagesArrive, AClickThatChangesNothingIsNoSuccess) {
  // The last block presses a button whose dialog does nothing with it.
  PlayByMessages({WriteClicks("Справка", wizard.options().programPath, {{"Справка", ""}})});
  ui().AdvanceTime(engine::speed::kReactDelay);
  const sim::ScreenRect r = desktop().RectOf(wizard.dialog);
  const WindowHandle button =
      desktop().AddWindow(wizard.dialog, "Button", "Справка", {r.left + 10, r.top + 360, 75, 23});
  desktop().SetButtonKind(button, platform::ButtonKind::Push);
  RunUntilClosed(30000);
  EXPECT_GE(desktop().posted.size(), 3u);
  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
  EXPECT_NE(Report().find("Причина: окно не приняло нажатие"), std::string::npos) << Report();
}

}  // namespace
