// What a deployment system reads after a run: the programs each setup put
// into the list of installed programs, the setup's own exit code, a restart
// that is needed, the exit code of the run, and the administrator's log.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "app/startup.h"
#include "engine_fixture.h"

namespace {

using namespace engine_test;
using platform::RegistryRoot;
using platform::RegistryView;

constexpr const char* kReport = "C:\\Отчёты\\итог.txt";
constexpr const char* kLog = "C:\\Отчёты\\журнал.log";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// One entry of the CMTrace format, digits standing for digits.
bool IsCmTraceLine(const std::string& line) {
  const size_t end = line.find("]LOG]!>");
  if (!line.starts_with("<![LOG[") || end == std::string::npos) return false;
  std::string tail = line.substr(end);
  for (char& c : tail) {
    if (std::isdigit(static_cast<unsigned char>(c))) c = '9';
  }
  const size_t component = tail.find("\" component=\"");
  const size_t context = tail.find("\" context=\"\" type=\"");
  if (component == std::string::npos || context == std::string::npos) return false;
  const std::string time = tail.substr(0, component);
  const bool timeRight = time.starts_with("]LOG]!><time=\"99:99:99.999") &&
                         (time[26] == '+' || time[26] == '-') &&
                         time.ends_with("9\" date=\"99-99-9999");
  const std::string name = tail.substr(component + 13, context - component - 13);
  const std::string rest = tail.substr(context);
  return timeRight && !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return std::isalpha(c); }) &&
         (rest == "\" context=\"\" type=\"9\" thread=\"9\" file=\"\">" ||
          rest.starts_with("\" context=\"\" type=\"9\" thread=\"99")) &&
         rest.ends_with("\" file=\"\">");
}

class DeploymentResults : public PlayerTest {
 protected:
  void Unattended(bool messages = false) {
    machine().files.MakeFolders("C:\\Отчёты");
    app().unattended = app::UnattendedRun{0, 30, kReport, messages, kLog};
    ASSERT_TRUE(engine::RunLog::Prepare(machine().files, kLog));
  }
  void RunUntilClosed(long long ms = 120000) {
    for (long long t = 0; t < ms && bar().IsOpen(); t += 100) ui().AdvanceTime(100);
  }
  std::string Report() { return machine().files.ReadFile(kReport).value_or(""); }
  std::string Section(const std::string& name) {
    const std::string report = Report();
    const size_t start = report.find("Итог установки: " + name + " (");
    if (start == std::string::npos) return {};
    std::string section = report.substr(start, report.find("\r\n\r\n", start) - start);
    if (section.ends_with("\r\n")) section.resize(section.size() - 2);
    return section;
  }
  void Entry(RegistryRoot root, RegistryView view, const std::string& key,
             const std::string& name, const std::string& value) {
    machine().registry.SetValue(root, kUninstall + key, name,
                                {platform::RegistryType::String, value, 0}, view);
  }
  // Pairs of source and target, each string ending in a NUL, as Windows keeps them.
  void PendingRenames(std::initializer_list<std::string> strings) {
    std::string value;
    for (const std::string& s : strings) value += s + '\0';
    machine().registry.SetValue(RegistryRoot::LocalMachine, kSessionManager,
                                "PendingFileRenameOperations",
                                {platform::RegistryType::MultiString, value + '\0', 0});
  }
  fake::FakeWizard& Setup(fake::WizardOptions options) {
    setups_.push_back(std::make_unique<fake::FakeWizard>(machine(), std::move(options)));
    return *setups_.back();
  }
  fake::FakeWizard& Setup(const std::string& program, std::function<void()> onFinished = nullptr,
                          unsigned long exitCode = 0) {
    return Setup(fake::WizardOptions{
        .programPath = program, .onFinished = std::move(onFinished), .exitCode = exitCode});
  }
  std::vector<std::unique_ptr<fake::FakeWizard>> setups_;
};

// A 32-bit setup's entry lies in the other registry view, a per-user one in
// HKCU; an entry without a name is no installed program, and one that was
// there before and did not change is no news of this run.
TEST_F(DeploymentResults, TheReportNamesWhatEachSetupPutIntoTheListOfInstalledPrograms) {
  Entry(RegistryRoot::LocalMachine, RegistryView::Default, "Old", "DisplayName", "Старое");
  Entry(RegistryRoot::CurrentUser, RegistryView::Default, "Notes", "DisplayName", "Заметки");
  Entry(RegistryRoot::CurrentUser, RegistryView::Default, "Notes", "DisplayVersion", "1.0");
  Setup("C:\\Setup\\Arch.exe", [this] {
    Entry(RegistryRoot::LocalMachine, RegistryView::Bits32, "{A1}", "DisplayName", "Архиватор");
    Entry(RegistryRoot::LocalMachine, RegistryView::Bits32, "{A1}", "DisplayVersion", "2.5");
    Entry(RegistryRoot::LocalMachine, RegistryView::Bits32, "{A1}", "Publisher", "ООО Архив");
    Entry(RegistryRoot::LocalMachine, RegistryView::Default, "KB1", "ParentKeyName", "Old");
  });
  Setup("C:\\Setup\\Notes.exe", [this] {
    Entry(RegistryRoot::CurrentUser, RegistryView::Default, "Notes", "DisplayVersion", "1.1");
  });
  Setup("C:\\Setup\\Quiet.exe");
  Unattended();
  Play({WriteScript("Архиватор", "C:\\Setup\\Arch.exe"), WriteScript("Заметки", "C:\\Setup\\Notes.exe"),
        WriteScript("Тихий", "C:\\Setup\\Quiet.exe")});
  RunUntilClosed();

  EXPECT_EQ(ui().exitCode, app::exit_code::kAllComplete) << Report();
  EXPECT_EQ(Section("Архиватор"),
            "Итог установки: Архиватор (строка 1)\r\n  Установлено: Архиватор 2.5 (ООО Архив)");
  EXPECT_EQ(Section("Заметки"), "Итог установки: Заметки (строка 2)\r\n  Обновлено: Заметки 1.1, было 1.0");
  EXPECT_EQ(Section("Тихий"),
            "Итог установки: Тихий (строка 3)\r\n  В списке установленных программ ничего не появилось");
  EXPECT_EQ(Report().find("Старое"), std::string::npos) << Report();
  EXPECT_EQ(Report().find("Требуется перезагрузка"), std::string::npos);
}

// 3010 is success that waits for a restart, and so is a rename left for the
// restart; a rename pending before the package is not its own.
TEST_F(DeploymentResults, ARestartThatASetupNeedsIsSaidPerPackageAndInTheExitCode) {
  PendingRenames({"\\??\\C:\\old.tmp", ""});
  Setup("C:\\Setup\\Driver.exe", nullptr, 3010);
  Setup("C:\\Setup\\Shell.exe", [this] {
    PendingRenames({"\\??\\C:\\old.tmp", "", "\\??\\C:\\a.new", "!\\??\\C:\\a.dll"});
  });
  Setup("C:\\Setup\\Plain.exe");
  Unattended();
  Play({WriteScript("Драйвер", "C:\\Setup\\Driver.exe"), WriteScript("Оболочка", "C:\\Setup\\Shell.exe"),
        WriteScript("Простой", "C:\\Setup\\Plain.exe")});
  RunUntilClosed();

  EXPECT_EQ(ui().exitCode, app::exit_code::kRestartNeeded) << Report();
  EXPECT_NE(Section("Драйвер").find("  Код завершения программы установки: 3010\r\n  Требуется перезагрузка"),
            std::string::npos)
      << Report();
  EXPECT_TRUE(Section("Оболочка").ends_with("\r\n  Требуется перезагрузка")) << Report();
  EXPECT_EQ(Section("Простой").find("перезагрузка"), std::string::npos) << Report();
  EXPECT_NE(Report().find("1   ОК  Драйвер"), std::string::npos);
  EXPECT_TRUE(Report().ends_with("\r\n\r\nТребуется перезагрузка\r\n")) << Report();
}

TEST_F(DeploymentResults, ASetupThatEndsWithACodeOfFailureDoesNotComplete) {
  Setup("C:\\Setup\\Broken.exe", nullptr, 1603);
  Setup("C:\\Setup\\Fine.exe");
  Unattended();
  Play({WriteScript("Сломан", "C:\\Setup\\Broken.exe"), WriteScript("Исправен", "C:\\Setup\\Fine.exe")});
  RunUntilClosed();

  EXPECT_EQ(ui().exitCode, app::exit_code::kIncomplete);
  EXPECT_NE(Report().find("1   NO  Сломан"), std::string::npos) << Report();
  EXPECT_NE(Report().find("2   ОК  Исправен"), std::string::npos) << Report();
  EXPECT_NE(Report().find("Не завершено: Сломан (строка 1)\r\n  Блок: 4 из 4\r\n"
                          "  Причина: программа установки завершилась с кодом 1603\r\n"),
            std::string::npos)
      << Report();
  EXPECT_NE(Section("Сломан").find("Код завершения программы установки: 1603"), std::string::npos);
}

// A run with a window found by likeness and a click that a dialog ignored
// and was sent again: every line is one CMTrace entry, and the lines tell
// the run from its start to its exit code.
TEST_F(DeploymentResults, TheLogTellsTheRunInLinesThatCmTraceReads) {
  machine().system.now.utcBiasMinutes = -180;
  fake::FakeWizard& next =
      Setup(fake::WizardOptions{.programPath = "C:\\Setup\\Arch25.exe",
                                .caption = "Установка Архиватор 2.5 "});
  Unattended(/*messages=*/true);
  const std::string click = fake::FakeWizard::kNextCaption;
  Play({WriteClicks("Архиватор", "C:\\Setup\\Arch25.exe",
                    {{click, ""}, {click, ""}, {click, ""}, {fake::FakeWizard::kFinishCaption, ""}},
                    "Установка Архиватор 2.4 ")});
  ui().AdvanceTime(engine::speed::kReactDelay);
  // Another program's window is in front: the dialog ignores its first clicks.
  desktop().SetProcess(desktop().AddWindow(0, "Notifier", "Обновление", {0, 700, 300, 60}),
                       sim::SimDesktop::kOtherProcess + 3);
  RunUntilClosed();
  ASSERT_TRUE(next.finished) << Report();

  const std::string log = machine().files.ReadFile(kLog).value_or("");
  ASSERT_TRUE(log.starts_with("\xEF\xBB\xBF")) << log;
  std::istringstream lines(log.substr(3));
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_TRUE(line.ends_with("\r")) << line;
    line.pop_back();
    EXPECT_TRUE(IsCmTraceLine(line)) << line;
  }
  EXPECT_GT(count, 10);
  EXPECT_NE(log.find("time=\"14:03:27.000-180\" date=\"12-08-2026\""), std::string::npos);
  for (const char* said :
       {"Пакет 1 из 1: Архиватор", "блок 1 из 4: окно найдено по сходству: записано ",
        "почему: уровень 1: заголовок", "блок 1 из 4: нажатие сообщениями окна",
        "нажатие не дало действия, повторено сообщениями окна", "блок 4 из 4: нажатие подтверждено",
        "Ожидание: окно, блок 1 из 4", "Ожидание закончено через ", "Пакет Архиватор закончен: ОК",
        "В списке установленных программ ничего не появилось", "Запуск окончен, код завершения 0"}) {
    EXPECT_NE(log.find(said), std::string::npos) << said << "\n" << log;
  }
}

}  // namespace

namespace {

using namespace engine_test;

constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The machine restarts (a power cut) while the second of three packages
// installs; at the next logon Windows starts what the run registered, and
// the run goes on with the third package into the same report and log.
TEST_F(DeploymentResults, ARunThatARestartEndsGoesOnIntoTheSameReportAndLog) {
  Entry(RegistryRoot::LocalMachine, RegistryView::Default, "Old", "DisplayName", "Старое");
  fake::FakeWizard& second = Setup(fake::WizardOptions{.programPath = "C:\\Setup\\Second.exe",
                                                       .installMs = 0});
  Setup("C:\\Setup\\Third.exe");
  Unattended();
  const std::vector<std::string> scripts = {WriteScript("Первый", wizard.options().programPath),
                                            WriteScript("Второй", "C:\\Setup\\Second.exe"),
                                            WriteScript("Третий", "C:\\Setup\\Third.exe")};
  Play(scripts);
  for (int i = 0; i < 600 && second.page() != 3; ++i) ui().AdvanceTime(100);
  ASSERT_EQ(second.page(), 3) << Report();
  const auto command =
      machine().registry.ReadValue(RegistryRoot::LocalMachine, kRunOnce, "!Orvanta");
  ASSERT_TRUE(command) << "no resume registered";
  EXPECT_EQ(command->text,
            "\"C:\\Program Files\\Orvanta\\orvanta.exe\" /RESUME \"C:\\WINDOWS\\Temp\\Orvanta-run.txt\"");

  // What the disk keeps goes to the machine as it starts again.
  SimApp after;
  for (const std::string& path : {std::string(kReport), std::string(kLog),
                                  std::string("C:\\WINDOWS\\Temp\\Orvanta-run.txt"), scripts[0],
                                  scripts[1], scripts[2]}) {
    const auto bytes = machine().files.ReadFile(path);
    ASSERT_TRUE(bytes) << path;
    after.machine.files.PutFile(path, *bytes);
  }
  // The interrupted setup did install, and an entry older than it is no news.
  for (const auto& [key, name, value] : {std::tuple{"Old", "DisplayName", "Старое"},
                                         {"Second", "DisplayName", "Второй"},
                                         {"Second", "DisplayVersion", "1.0"}}) {
    after.machine.registry.SetValue(RegistryRoot::LocalMachine, kUninstall + std::string(key),
                                    name, {platform::RegistryType::String, value, 0});
  }
  fake::FakeWizard third(after.machine, {.programPath = "C:\\Setup\\Third.exe"});
  fake::FakeWizard notAgain(after.machine, {.programPath = "C:\\Setup\\Second.exe"});
  after.machine.system.commandLine = command->text.substr(command->text.find(" /RESUME") + 1);
  ASSERT_TRUE(app::Main(after.app));
  for (long long t = 0; t < 120000 && after.app.ControlBar().IsOpen(); t += 100) {
    after.machine.ui.AdvanceTime(100);
  }

  EXPECT_TRUE(third.finished);
  EXPECT_EQ(notAgain.launchParameters.size(), 0u);
  EXPECT_EQ(after.machine.ui.exitCode, app::exit_code::kIncomplete);
  const std::string report = after.machine.files.ReadFile(kReport).value_or("");
  EXPECT_TRUE(report.starts_with("1   ОК  Первый")) << report;
  EXPECT_NE(report.find("\r\n2   NO  Второй"), std::string::npos) << report;
  EXPECT_NE(report.find("\r\n3   ОК  Третий"), std::string::npos) << report;
  EXPECT_EQ(report.find("\r\n4 "), std::string::npos) << report;
  EXPECT_NE(report.find("Продолжено после перезагрузки: с пакета 3 из 3"), std::string::npos);
  EXPECT_NE(report.find("Не завершено: Второй (строка 2)\r\n  Блок: 3 из 4\r\n"
                        "  Причина: прервано перезагрузкой\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("Итог установки: Второй (строка 2)\r\n  Установлено: Второй 1.0\r\n\r\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(report.find("Старое"), std::string::npos);
  EXPECT_NE(report.find("Итог установки: Первый (строка 1)"), std::string::npos);
  EXPECT_NE(report.find("Итог установки: Третий (строка 3)"), std::string::npos);
  EXPECT_EQ(report.find("Запуск не закончен"), std::string::npos);
  const std::string log = after.machine.files.ReadFile(kLog).value_or("");
  EXPECT_NE(log.find("Пакет 1 из 3: Первый"), std::string::npos);
  EXPECT_NE(log.find("Продолжено после перезагрузки"), std::string::npos);
  EXPECT_NE(log.find("Пакет 3 из 3: Третий"), std::string::npos);
  EXPECT_EQ(log.find("\xEF\xBB\xBF", 3), std::string::npos);
  // Nothing is left to start at the next logon.
  EXPECT_FALSE(after.machine.registry.ReadValue(RegistryRoot::LocalMachine, kRunOnce, "!Orvanta"));
  EXPECT_FALSE(after.machine.files.ReadFile("C:\\WINDOWS\\Temp\\Orvanta-run.txt"));
}

// Between two packages (a setup's last click may restart Windows) the
// session may end; while a package plays it may not.
TEST_F(DeploymentResults, TheSessionMayEndBetweenTwoPackagesOfARunThatGoesOn) {
  fake::FakeWizard& slow = Setup(fake::WizardOptions{.programPath = "C:\\Setup\\Slow.exe",
                                                     .lingerMs = 20000});
  Unattended();
  Play({WriteScript("Медленный", "C:\\Setup\\Slow.exe"),
        WriteScript("Второй", wizard.options().programPath)});
  for (int i = 0; i < 600 && slow.clickedPages.empty(); ++i) ui().AdvanceTime(100);
  ASSERT_FALSE(slow.finished);
  EXPECT_FALSE(bar().onQueryClose(ui::CloseReason::SessionEnd));
  for (int i = 0; i < 600 && !slow.finished; ++i) ui().AdvanceTime(100);
  ui().AdvanceTime(1000);
  ASSERT_TRUE(slow.finished);
  ASSERT_EQ(app().statistics.entries().size(), 1u) << "the setup is still waited for";
  // As Windows does: asked, then told.
  EXPECT_TRUE(bar().onQueryClose(ui::CloseReason::SessionEnd));
  bar().onSessionEnd();
  EXPECT_NE(Report().find("1   ОК  Медленный"), std::string::npos) << Report();
  EXPECT_TRUE(Report().ends_with("\r\nЗапуск не закончен: пройдено пакетов 1 из 2\r\n")) << Report();
  EXPECT_TRUE(machine().registry.ReadValue(RegistryRoot::LocalMachine, kRunOnce, "!Orvanta"));
}

}  // namespace
