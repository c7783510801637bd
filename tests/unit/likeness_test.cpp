// Scripts recorded on one version of a setup played on the next: windows
// found by likeness among the setup's own, and only when one stands out.
#include <gtest/gtest.h>

#include "engine/window_likeness.h"
#include "engine_fixture.h"

namespace {

using namespace engine_test;

constexpr const char* kReport = "C:\\Отчёты\\likeness.txt";
constexpr unsigned kSetup = 7;

TEST(LikenessTexts, VersionsRunPartsAndSimilarity) {
  EXPECT_EQ(engine::CaptionWithoutVersion("Установка  Архиватор 2.4 "), "УСТАНОВКА АРХИВАТОР");
  EXPECT_EQ(engine::CaptionWithoutVersion("&Запустить Архиватор v7"), "ЗАПУСТИТЬ АРХИВАТОР");
  EXPECT_EQ(engine::CaptionWithoutVersion("Tool 10.0.19041b2 && more"), "TOOL & MORE");
  // Plain numbers are steps and counts, not versions.
  EXPECT_EQ(engine::CaptionWithoutVersion("Шаг 1 из 3"), "ШАГ 1 ИЗ 3");
  EXPECT_EQ(engine::VersionNumberIn("Setup 2.4.1"), "2.4.1");
  EXPECT_EQ(engine::VersionNumberIn("Windows7 Setup 12"), "");

  EXPECT_EQ(engine::ClassWithoutRunParts("HwndWrapper[setup.exe;;1c7e6a3f-0b8e-4a44-9d1e-2f1f0c9b8d11]"),
            engine::ClassWithoutRunParts("HwndWrapper[setup.exe;;9f00aa12-3c4d-4e5f-8a9b-0c1d2e3f4a5b]"));
  EXPECT_EQ(engine::ClassWithoutRunParts("WindowsForms10.Window.8.app.0.141b42a_r6_ad1"),
            engine::ClassWithoutRunParts("WindowsForms10.Window.8.app.0.2bf8098_r9_ad2"));
  EXPECT_EQ(engine::ClassWithoutRunParts("Qt5QWindowIcon"), engine::ClassWithoutRunParts("Qt6QWindowIcon"));
  EXPECT_NE(engine::ClassWithoutRunParts("#32770"), engine::ClassWithoutRunParts("#32768"));

  EXPECT_DOUBLE_EQ(engine::Similarity("АБВГ", "АБВГ"), 1.0);
  EXPECT_NEAR(engine::Similarity("УСТАНОВКА АРХИВАТОР", "УСТАНОВКА АРХИВАТОР ПРО"), 0.83, 0.01);
}

// A setup's windows on the simulated desktop, its process kSetup.
class LikelyWindowTest : public ::testing::Test {
 protected:
  WindowHandle Top(const std::string& cls, const std::string& caption, unsigned process = kSetup) {
    const WindowHandle w = desktop().AddWindow(0, cls, caption, {100, 100, 500, 400});
    desktop().SetProcess(w, static_cast<int>(process));
    return w;
  }
  WindowHandle Child(WindowHandle parent, const std::string& cls, const std::string& caption,
                     int width = 75) {
    const sim::ScreenRect r = desktop().RectOf(parent);
    return desktop().AddWindow(parent, cls, caption, {r.left + 10, r.top + 10, width, 23});
  }
  engine::LikelyWindow Find(const engine::WindowPath& path, platform::Point press = {10, 10}) {
    return engine::FindLikelyWindow(desktop(), sim.machine.system, path,
                                    [](unsigned p) { return p == kSetup; }, press);
  }
  sim::SimDesktop& desktop() { return sim.machine.desktop; }
  SimApp sim;
};

TEST_F(LikelyWindowTest, ANewRunsClassOrAShiftedOrdinalIsFound) {
  const WindowHandle wpf = Top("HwndWrapper[setup.exe;;9f00aa12-3c4d-4e5f-8a9b-0c1d2e3f4a5b]",
                               "Установка Архиватор");
  const WindowHandle banner = Child(wpf, "#32770", "");
  Child(banner, "Static", "Добро пожаловать");
  const WindowHandle page = Child(wpf, "#32770", "");
  const WindowHandle install = Child(page, "Button", "&Установить");
  const engine::WindowPath path = {
      {"HwndWrapper[setup.exe;;1c7e6a3f-0b8e-4a44-9d1e-2f1f0c9b8d11]", "Установка Архиватор", 1},
      {"#32770", "", 1},  // the banner came later on the earlier version
      {"Button", "&Установить", 1}};
  const engine::LikelyWindow found = Find(path);
  EXPECT_EQ(found.window, install);
  EXPECT_NE(found.why.find("уровень 1: класс"), std::string::npos) << found.why;
  EXPECT_NE(found.why.find("уровень 2: порядковый номер 2 вместо 1"), std::string::npos);
  // An ordinal that no longer exists: any like sibling may be it.
  engine::WindowPath third = path;
  third[1].ordinal = 3;
  EXPECT_EQ(Find(third).window, install);
}

TEST_F(LikelyWindowTest, NothingIsTakenThatIsNotClearlyTheOne) {
  const auto wizard = [&](const std::string& caption, unsigned process = kSetup) {
    return Child(Top("#32770", caption, process), "Button", "&Далее >");
  };
  const engine::WindowPath path = {{"#32770", "Установка Архиватор 2.4", 1},
                                   {"Button", "&Далее >", 1}};
  // Another program's look-alike is never the setup's window.
  wizard("Установка Архиватор 2.5", kSetup + 1);
  EXPECT_EQ(Find(path).window, 0u);
  const WindowHandle next = wizard("Установка Архиватор 2.5");
  EXPECT_EQ(Find(path).window, next);
  // The press point must lie inside; the window must be enabled.
  EXPECT_EQ(Find(path, {80, 10}).window, 0u);
  desktop().SetEnabled(next, false);
  EXPECT_EQ(Find(path).window, 0u);
  desktop().SetEnabled(next, true);
  // Two equally likely windows: no press.
  wizard("Установка Архиватор 2.6");
  EXPECT_EQ(Find(path).window, 0u);

  // A window holding the pressed one may be renamed a little; the pressed
  // one says what it does and must keep its words.
  const WindowHandle pro = Top("#32770", "Установка Архиватор Про");
  const WindowHandle remove = Child(pro, "Button", "Удалить");
  Child(pro, "Button", "Установить все");
  EXPECT_EQ(Find({{"#32770", "Установка Архиватор Pro", 1}, {"Button", "Удалить", 1}}).window,
            remove);
  EXPECT_EQ(Find({{"#32770", "Установка Архиватор Про", 1}, {"Button", "Установить", 1}}).window,
            0u);
}

class LikenessPlay : public PlayerTest {
 protected:
  void Unattended(int timeoutSeconds) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, timeoutSeconds, kReport};
  }
  void RunUntilClosed(long long ms) {
    for (long long t = 0; t < ms && bar().IsOpen(); t += 100) ui().AdvanceTime(100);
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
};

const char* const kFolder = "C:\\Программы\\Архиватор";

TEST_F(LikenessPlay, TheNextVersionInstallsAsRecordedAndTheReportSaysWhatWasFoundByLikeness) {
  fake::FakeWizard next(machine(), {.programPath = "C:\\Setup\\Arch25.exe",
                                    .caption = "Установка Архиватор 2.5 "});
  Unattended(30);
  const std::vector<std::pair<std::string, std::string>> clicks = {
      {"&Далее >", ""}, {"Edit", kFolder}, {"&Далее >", ""}, {"&Далее >", ""}, {"&Готово", ""}};
  Play({WriteClicks("Архиватор", next.options().programPath, clicks, "Установка Архиватор 2.4 "),
        WriteScript("Демо", wizard.options().programPath)});
  for (int i = 0; i < 600 && !wizard.running(); ++i) ui().AdvanceTime(100);
  // The demo's own wizard beside a window of the same setup that is only like it.
  ASSERT_TRUE(wizard.running()) << Report();
  const WindowHandle alike = desktop().AddWindow(0, "#32770", "Установка Demo App 2.5 ",
                                                 {300, 100, 500, 400});
  desktop().SetProcess(alike, wizard.process);
  int alikeClicks = 0;
  desktop().SetOnClick(desktop().AddWindow(alike, "Button", "&Далее >", {305, 460, 75, 23}),
                       [&] { ++alikeClicks; });
  RunUntilClosed(60000);

  EXPECT_TRUE(next.finished);
  EXPECT_EQ(next.installedTo, kFolder);
  EXPECT_TRUE(wizard.finished);
  EXPECT_EQ(alikeClicks, 0);
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
  const std::string report = Report();
  // Five blocks found for one reason make one note that lists them.
  EXPECT_NE(report.find("Окно найдено по сходству: Архиватор (строка 1)\r\n"
                        "  Блоки: 1, 2, 3, 4, 5 из 5\r\n  Почему: уровень 1: заголовок "
                        "\"Установка Архиватор 2.5 \" вместо \"Установка Архиватор 2.4 \""),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\r\n  Блок 1. Записано: \"#32770\" \"Установка Архиватор 2.4 \" 1 > "
                        "\"Button\" \"&Далее >\" 1\r\n  Блок 1. Нажато: \"#32770\" "
                        "\"Установка Архиватор 2.5 \" 1 > \"Button\" \"&Далее >\" 1\r\n"),
            std::string::npos);
  EXPECT_EQ(report.find("Окно найдено по сходству: Архиватор", report.find("Блоки: ")),
            std::string::npos);
  EXPECT_EQ(report.find("по сходству: Демо"), std::string::npos);
  EXPECT_NE(report.find("Блок 5. Нажато: \"#32770\" \"Установка Архиватор 2.5 \" 1 > \"Button\" \"&Готово\" 1"),
            std::string::npos);
}

// Recorded on a Russian Windows (code page 1251), played on an English one
// (1252) whose setup shows its English pages: the script is read in its own
// code page, so the Cyrillic folder typed arrives whole, and each button is
// found by its control ID below the setup's one wizard window. Before, the
// texts were read in 1252 and nothing was found.
TEST_F(LikenessPlay, AScriptRecordedOnRussianWindowsInstallsOnAnEnglishOne) {
  StartRecording();
  UserClick(wizard.next);
  UserClick(wizard.edit);
  bar().imgPause.Click();
  bar().Text1.SyncText(kFolder);
  bar().imgPlay.Click();
  UserClick(wizard.next);
  ui().AdvanceTime(wizard.options().installMs);
  UserClick(wizard.next);
  UserClick(wizard.next);
  ASSERT_TRUE(wizard.finished);
  bar().imgStop.Click();

  machine().system.codePage = 1252;
  fake::FakeWizard english(machine(), {.caption = "Demo App Setup", .english = true});
  Unattended(30);
  Play({kScriptPath});
  RunUntilClosed(60000);
  EXPECT_TRUE(english.finished) << Report();
  EXPECT_EQ(english.installedTo, kFolder);
  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
  const std::string report = Report();
  EXPECT_NE(report.find("уровень 1: заголовок \"Demo App Setup\" вместо \"Установка Demo App \" "
                        "(единственное окно этого класса у программы установки); уровень 2: "
                        "заголовок \"&Next >\" вместо \"&Далее >\" (тот же идентификатор "
                        "элемента 1)"),
            std::string::npos)
      << report;
}

TEST_F(LikenessPlay, ALookAlikeOfAnotherProgramIsNeverPressed) {
  const WindowHandle other = desktop().AddWindow(0, "#32770", "Установка Demo App 2.5 ",
                                                 {300, 100, 500, 400});
  desktop().SetProcess(other, sim::SimDesktop::kOtherProcess);
  int clicks = 0;
  desktop().SetOnClick(desktop().AddWindow(other, "Button", "&Далее >", {305, 460, 75, 23}),
                       [&] { ++clicks; });
  // The setup's own wizard is not like what was recorded.
  fake::FakeWizard plain(machine(), {.programPath = "C:\\Setup\\Plain.exe",
                                     .caption = "Мастер установки"});
  Unattended(6);
  Play({WriteClicks("Демо", plain.options().programPath, {{"&Далее >", ""}},
                    "Установка Demo App 2.4 ")});
  RunUntilClosed(20000);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(plain.clickedPages, std::vector<int>{});
  EXPECT_NE(Report().find("Причина: окно не найдено"), std::string::npos) << Report();
}

}  // namespace
