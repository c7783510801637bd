// Unattended runs from the command line, and the library order they share
// with the library window.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "engine/frmStels.h"
#include "library/frmMain.h"
#include "library/library_order.h"
#include "sim_test_support.h"

namespace {

using Kind = app::CommandLineRun::Kind;

struct CommandLine : ::testing::Test {
  CommandLine() {
    files.MakeFolders("C:\\Библиотека");
    files.PutFile("C:\\Библиотека\\a.OVS", "x");
    files.PutFile("C:\\Setup\\setup.exe", "MZ");
    files.MakeFolders("C:\\Отчёты");
  }
  app::CommandLineRun Parse(const std::string& line) { return app::ParseRunCommand(files, line); }

  SimApp sim;
  sim::SimFileSystem& files = sim.machine.files;
};

TEST_F(CommandLine, OptionsInAnyOrderAndCase) {
  const auto run =
      Parse("/report \"C:\\Отчёты\\итог.txt\" /Timeout 30 /PLAY \"C:\\Библиотека\\\" /speed 0");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.kind, Kind::Play);
  EXPECT_EQ(run.target, "C:\\Библиотека\\");
  EXPECT_EQ(run.options.speed, 0);
  EXPECT_EQ(run.options.timeoutSeconds, 30);
  EXPECT_EQ(run.options.reportPath, "C:\\Отчёты\\итог.txt");
  EXPECT_FALSE(run.options.messages);
  EXPECT_TRUE(Parse("/PLAY C:\\Библиотека /messages").options.messages);
  EXPECT_EQ(Parse("/PLAY C:\\Библиотека /log C:\\Журнал.log").options.logPath, "C:\\Журнал.log");
  EXPECT_NE(Parse("/PLAY C:\\Библиотека /MESSAGES /MESSAGES").error, "");
  EXPECT_NE(Parse("/RECORD C:\\Setup\\setup.exe C:\\Библиотека\\Новый.ovs /MESSAGES").error, "");

  const auto record = Parse("/RECORD C:\\Setup\\setup.exe C:\\Библиотека\\Новый.ovs");
  EXPECT_EQ(record.error, "");
  EXPECT_EQ(record.kind, Kind::Record);
  EXPECT_EQ(record.scriptPath, "C:\\Библиотека\\Новый.ovs");

  EXPECT_EQ(Parse("/ADD C:\\Библиотека\\a.OVS").kind, Kind::None);  // left to /ADD
}

TEST_F(CommandLine, EveryBadArgumentIsNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"/PLAY", "Не указан сценарий или папка после /PLAY."},
      {"/PLAY C:\\Нет", "Не найден сценарий или папка: C:\\Нет."},
      {"/PLAY C:\\Библиотека /SPEED", "Не указан номер скорости после /SPEED."},
      {"/PLAY C:\\Библиотека /SPEED 3", "Скорость должна быть 0, 1 или 2, а указано: 3."},
      {"/PLAY C:\\Библиотека /SPEED быстро", "Скорость должна быть 0, 1 или 2, а указано: быстро."},
      {"/PLAY C:\\Библиотека /TIMEOUT 1x", "Срок ожидания должен быть целым числом секунд от 1"},
      {"/PLAY C:\\Библиотека /TIMEOUT 0", "Срок ожидания должен быть целым числом секунд от 1"},
      {"/PLAY C:\\Библиотека /REPORT", "Не указан файл отчёта после /REPORT."},
      {"/PLAY C:\\Библиотека /LOG /MESSAGES", "Не указан файл журнала после /LOG."},
      {"/RECORD C:\\Setup\\setup.exe C:\\Библиотека\\a.ovs /LOG C:\\a.log", "Параметры /SPEED"},
      {"/PLAY C:\\Библиотека /FAST", "Неизвестный параметр: /FAST."},
      {"/PLAY C:\\Библиотека /SPEED 1 /SPEED 2", "Параметр /SPEED указан дважды."},
      {"/RECORD C:\\Setup\\setup.exe", "Не указан файл сценария после /RECORD."},
      {"/RECORD C:\\Setup\\setup.exe C:\\Нет\\a.ovs", "Сценарий нельзя сохранить в C:\\Нет\\a.ovs"},
  };
  for (const auto& [line, error] : cases) {
    EXPECT_EQ(Parse(line).error.rfind(error, 0), 0u) << line << " -> " << Parse(line).error;
  }
}

TEST_F(CommandLine, ABadRunWithAReportWritesTheProblemThereAndNeverWaits) {
  sim.machine.system.commandLine = "/PLAY C:\\Нет /FAST /REPORT C:\\Отчёты\\итог.txt";
  EXPECT_FALSE(app::Main(sim.app));
  EXPECT_EQ(sim.app.exitCode, 2);
  EXPECT_TRUE(sim.machine.ui.messages.empty());
  const auto report = files.ReadFile("C:\\Отчёты\\итог.txt");
  ASSERT_TRUE(report);
  EXPECT_NE(report->find("Неизвестный параметр: /FAST."), std::string::npos);
  EXPECT_NE(report->find("Использование:"), std::string::npos);

  // Without a report file that can be written, a message box says it.
  SimApp other;
  other.machine.system.commandLine = "/PLAY C:\\Нет /REPORT C:\\Нет\\итог.txt";
  EXPECT_FALSE(app::Main(other.app));
  EXPECT_EQ(other.app.exitCode, 2);
  ASSERT_EQ(other.machine.ui.messages.size(), 1u);
  EXPECT_NE(other.machine.ui.messages[0].text.find("Использование:"), std::string::npos);
  EXPECT_FALSE(other.app.MainWindow().IsOpen());
}

// A run whose report or log would be lost plays nothing: a deployment
// system reads exit code 2 and the reason.
TEST_F(CommandLine, AReportOrLogThatCannotBeWrittenStopsTheRunBeforeItStarts) {
  files.PutFile("C:\\Отчёты\\журнал.log", "");
  files.SetReadOnly("C:\\Отчёты\\журнал.log", true);
  sim.machine.system.commandLine =
      "/PLAY C:\\Библиотека\\a.OVS /REPORT C:\\Отчёты\\итог.txt /LOG C:\\Отчёты\\журнал.log";
  EXPECT_FALSE(app::Main(sim.app));
  EXPECT_EQ(sim.app.exitCode, 2);
  EXPECT_TRUE(sim.machine.shell.launches.empty());
  EXPECT_NE(files.ReadFile("C:\\Отчёты\\итог.txt")
                .value_or("")
                .find("Не удаётся записать файл журнала: C:\\Отчёты\\журнал.log."),
            std::string::npos);

  SimApp other;
  other.machine.files.MakeFolders("C:\\Библиотека");
  other.machine.files.PutFile("C:\\Библиотека\\a.OVS", "x");
  other.machine.system.commandLine = "/PLAY C:\\Библиотека\\a.OVS /REPORT C:\\Нет\\итог.txt";
  EXPECT_FALSE(app::Main(other.app));
  EXPECT_EQ(other.app.exitCode, 2);
  ASSERT_EQ(other.machine.ui.messages.size(), 1u);
  EXPECT_NE(other.machine.ui.messages[0].text.find("Не удаётся записать файл отчёта: C:\\Нет\\итог.txt."),
            std::string::npos);
  EXPECT_FALSE(other.app.ControlBar().IsOpen());
}

// A state cut short or pointing past its queue is no run to go on with.
TEST_F(CommandLine, AResumeFromAStateThatIsNotWholeIsRefused) {
  for (const char* state : {"Orvanta run state 1\nscript=C:\\a.OVS\nstarted=1\n",
                            "Orvanta run state 1\nstarted=2\nend\n", "MZ"}) {
    SimApp sim;
    sim.machine.files.PutFile("C:\\WINDOWS\\Temp\\Orvanta-run.txt", state);
    sim.machine.system.commandLine = "/RESUME \"C:\\WINDOWS\\Temp\\Orvanta-run.txt\"";
    EXPECT_FALSE(app::Main(sim.app)) << state;
    EXPECT_EQ(sim.app.exitCode, 2);
    ASSERT_EQ(sim.machine.ui.messages.size(), 1u);
    EXPECT_EQ(sim.machine.ui.messages[0].text.rfind("Запуск нельзя продолжить", 0), 0u);
    EXPECT_FALSE(sim.app.ControlBar().IsOpen());
  }
}

TEST_F(CommandLine, PlayOfAFolderQueuesItInLibraryOrderWithoutTheMainWindow) {
  for (const char* name : {"b", "c", "d"}) files.PutFile(std::string("C:\\Библиотека\\") + name + ".ovs", "x");
  files.PutFile("C:\\Библиотека\\Position.lst", "d\r\nc\r\n");
  sim.machine.system.commandLine = "/PLAY C:\\Библиотека /SPEED 1";
  ASSERT_TRUE(app::Main(sim.app));
  EXPECT_EQ(sim.app.playQueue,
            (std::vector<std::string>{"", "C:\\Библиотека\\d.ovs", "C:\\Библиотека\\c.ovs",
                                      "C:\\Библиотека\\b.ovs", "C:\\Библиотека\\a.OVS"}));
  EXPECT_TRUE(sim.app.ControlBar().IsVisible());
  EXPECT_FALSE(sim.app.MainWindow().IsOpen());
  EXPECT_EQ(sim.app.ControlBar().player().workingInterval(), 250);
  EXPECT_EQ(sim.app.settings.Get(app::setting::kSpeed), "2");  // the stored speed stays
}

TEST(LibraryOrder, PositionListMovesNamedPackagesToTheTop) {
  const auto order = [](std::vector<std::string> names, std::vector<std::string> positions) {
    library::ApplyPositionList(names, positions);
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(order({"a", "b", "c", "d"}, {"d", "c"}), (V{"d", "c", "b", "a"}));
  EXPECT_EQ(order({"a", "b", "c"}, {"C", "gone", "b"}), (V{"b", "a", "c"}));  // case counts
  EXPECT_EQ(order({"a", "b"}, {"b", "b", "a"}), (V{"b", "a"}));  // a repeated name stays put
  EXPECT_EQ(order({}, {"a"}), V{});
}

}  // namespace
