#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/paths.h"
#include "library/frmMain.h"
#include "sim_test_support.h"

namespace {

constexpr const char* kCdIni = "D:\\orvanta.ini";

struct StartupTest : ::testing::Test {
  SimApp s;
  sim::SimMachine& m = s.machine;
  app::App& a = s.app;

  std::string Stored(const app::SettingKey& k) { return a.settings.Get(k); }
  void RunFromCd(const std::string& ini) {
    m.system.programFolder = "D:\\";
    a.macros = app::BuildMacroTable(m.platform);
    if (!ini.empty()) m.files.PutFile(kCdIni, text::Utf8ToCp1251(ini));
  }
};

}  // namespace

TEST_F(StartupTest, SecondCopyIsRefusedWithAMessageAndNoWindow) {
  m.system.otherInstanceRunning = true;
  EXPECT_FALSE(app::Main(a));
  ASSERT_EQ(m.ui.messages.size(), 1u);
  EXPECT_EQ(m.ui.messages[0].text, "Повторный запуск!");
  EXPECT_EQ(m.ui.messages[0].caption, "Orvanta");
  EXPECT_EQ(m.ui.messages[0].flags, ui::mb::kOk);
  EXPECT_FALSE(a.MainWindow().IsOpen());
  // Told apart from a bad command line (2) and from packages that did not
  // complete (1): the code deployment systems read as "try again later".
  EXPECT_EQ(a.exitCode, 1618);
}

TEST_F(StartupTest, FirstCopyShowsTheLibraryWindowWithItsBuildCaption) {
  EXPECT_TRUE(app::Main(a));
  EXPECT_TRUE(a.MainWindow().IsVisible());
  EXPECT_EQ(a.MainWindow().caption(), "Orvanta (Build 1.0.1)");
  EXPECT_TRUE(m.ui.messages.empty());
  EXPECT_EQ(a.macros.values[2], "C:\\WINDOWS");  // the table is built before the window
}

TEST_F(StartupTest, AddCommandStoresTheFolderOfAnExistingScript) {
  m.files.PutFile("C:\\Scripts\\Setup.OVS", "x");
  m.system.commandLine = " /add C:\\Scripts\\Setup.OVS ";
  ASSERT_TRUE(app::Main(a));
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Scripts");
}

TEST_F(StartupTest, CommandLinesThatNameNoExistingPathChangeNothing) {
  m.files.PutFile("C:\\Scripts\\Setup.OVS", "x");
  // A bare name found in the current folder has no folder to store: it would
  // only wipe the remembered library.
  m.files.PutFile(m.files.currentFolder + "\\Setup.OVS", "x");
  ASSERT_TRUE(app::PathExists(m.files, "Setup.OVS"));
  for (const char* line :
       {"/ADD \"C:\\Scripts\\Setup.OVS\"", "/ADD C:\\Scripts\\Missing.OVS", "/ADD x", "/ADD",
        "", "   ", "C:\\Scripts\\Setup.OVS", "/REMOVE C:\\Scripts\\Setup.OVS",
        "/ADD \xFF\xFE broken utf8", "/ADD Setup.OVS"}) {
    m.system.commandLine = line;
    app::ApplyCommandLine(a);
    EXPECT_EQ(m.registry.writeCount, 0u) << line;
  }
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "");
}

TEST_F(StartupTest, AddKeywordIgnoresCaseAndLeadingSpacesOfTheArgument) {
  m.files.PutFile("C:\\Папка\\Пакет.OVS", "x");
  m.system.commandLine = "/aDd     C:\\Папка\\Пакет.OVS";
  app::ApplyCommandLine(a);
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Папка");
}

TEST_F(StartupTest, FromANetworkShareTheCommandLineCountsWhereverTheCurrentFolderIs) {
  m.system.programFolder = "\\\\server\\share\\Orvanta";
  m.files.currentFolder = "D:\\";  // the CD-ROM drive
  m.files.PutFile(kCdIni, "[General]\r\nSpeedInstall=1\r\n");
  m.files.PutFile("C:\\Scripts\\Setup.OVS", "x");
  m.system.commandLine = "/ADD C:\\Scripts\\Setup.OVS";
  ASSERT_TRUE(app::Main(a));
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Scripts");
  EXPECT_EQ(Stored(app::setting::kSpeed), "2");
  EXPECT_EQ(a.macros.cdromDrives, std::vector<std::string>{"D:\\"});
  EXPECT_TRUE(m.ui.messages.empty());
}

TEST_F(StartupTest, OnACdRomTheSettingsFileWinsAndTheCommandLineIsIgnored) {
  RunFromCd("[General]\r\nSpeedInstall=1\r\nOVSFolder=%cdrom%\\Folder OVS\r\n");
  m.files.MakeFolders("D:\\Folder OVS");
  m.files.PutFile("C:\\Scripts\\Setup.OVS", "x");
  m.system.commandLine = "/ADD C:\\Scripts\\Setup.OVS";
  ASSERT_TRUE(app::Main(a));
  EXPECT_EQ(Stored(app::setting::kSpeed), "1");
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "D:\\Folder OVS");
  EXPECT_TRUE(m.ui.messages.empty());
}

TEST_F(StartupTest, AUsbStickIsReadLikeADisc) {
  m.files.AddDrive('F', platform::DriveType::Removable);
  m.files.MakeFolders("F:\\Orvanta");
  m.files.MakeFolders("F:\\Folder OVS");
  m.files.PutFile("F:\\Orvanta\\orvanta.ini",
                  "[General]\r\nSpeedInstall=0\r\nOVSFolder=%cdrom%\\Folder OVS\r\n");
  m.system.programFolder = "F:\\Orvanta";
  m.system.commandLine = "/ADD C:\\WINDOWS\\x.OVS";  // ignored, as on a disc
  m.files.PutFile("C:\\WINDOWS\\x.OVS", "x");
  ASSERT_TRUE(app::Main(a));
  EXPECT_EQ(a.macros.values[app::MacroTable::kCdRomRow], "F:\\");
  EXPECT_EQ(Stored(app::setting::kSpeed), "0");
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "F:\\Folder OVS");
  // The stick first, then the machine's own CD-ROM drive.
  m.files.PutFile("D:\\Drivers\\setup.exe", "MZ");
  EXPECT_EQ(a.Expand("%CDROM%\\Folder OVS"), "F:\\Folder OVS");
  EXPECT_EQ(a.Expand("%CDROM%\\Drivers\\setup.exe"), "D:\\Drivers\\setup.exe");
  EXPECT_EQ(a.Expand("%CDROM%\\Nowhere"), "F:\\Nowhere");
}

TEST_F(StartupTest, APlainCopyOnAUsbStickIsNoDisc) {
  m.files.AddDrive('F', platform::DriveType::Removable);
  m.files.MakeFolders("F:\\Orvanta");
  m.system.programFolder = "F:\\Orvanta";
  m.system.commandLine = "/ADD C:\\Scripts\\x.OVS";
  m.files.PutFile("C:\\Scripts\\x.OVS", "x");
  m.files.PutFile("D:\\Setup\\setup.exe", "MZ");
  ASSERT_TRUE(app::Main(a));
  EXPECT_TRUE(m.ui.messages.empty());  // no missing settings file
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Scripts");
  EXPECT_EQ(a.Expand("%CDROM%\\Setup\\setup.exe"), "D:\\Setup\\setup.exe");
}

TEST_F(StartupTest, MissingSettingsFileOnACdRomIsReportedAndStartUpGoesOn) {
  RunFromCd("");
  a.settings.Save(app::setting::kRegistry, "1");  // the file association was made before
  m.registry.writeCount = 0;
  ASSERT_TRUE(app::Main(a));
  ASSERT_EQ(m.ui.messages.size(), 1u);
  EXPECT_EQ(m.ui.messages[0].text,
            "Не найден файл настроек \"D:\\orvanta.ini\".\r\n"
            "Вам придётся вручную указать месторасположение папки содержащей OVS-файлы.");
  EXPECT_EQ(m.ui.messages[0].caption, "Orvanta");
  EXPECT_TRUE(a.MainWindow().IsVisible());
  EXPECT_EQ(m.registry.writeCount, 0u);
}

TEST_F(StartupTest, SpeedValuesOtherThanZeroOrOneMeanTwoAndEmptyMeansUnchanged) {
  struct Case {
    const char* ini;
    const char* expected;
  };
  for (const Case& c : {Case{"SpeedInstall=0", "0"}, Case{"SpeedInstall=7", "2"},
                        Case{"SpeedInstall=быстро", "2"}, Case{"", "2"},
                        Case{"SpeedInstall=", "unchanged"}}) {
    SimApp fresh;
    fresh.machine.system.programFolder = "D:\\";
    fresh.machine.files.PutFile(kCdIni, text::Utf8ToCp1251(std::string("[General]\r\n") + c.ini));
    fresh.app.settings.Save(app::setting::kSpeed, "unchanged");
    app::ReadCdSettings(fresh.app);
    EXPECT_EQ(fresh.app.settings.Get(app::setting::kSpeed), c.expected) << c.ini;
  }
}

TEST_F(StartupTest, LibraryFolderFromTheSettingsFileMustExistAndBeLongerThanOneCharacter) {
  RunFromCd("[General]\r\nOVSFolder=X\r\n");
  m.files.MakeFolders("D:\\Folder OVS");  // the default would exist, but "X" is ignored
  a.settings.Save(app::setting::kFolderOvs, "C:\\Old");
  app::ReadCdSettings(a);
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Old");

  m.files.PutFile(kCdIni, "[General]\r\nOVSFolder=%CDROM%\\Nowhere\r\n");
  app::ReadCdSettings(a);
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "C:\\Old");

  m.files.PutFile(kCdIni, "[General]\r\nSpeedInstall=1\r\n");  // default folder applies
  app::ReadCdSettings(a);
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "D:\\Folder OVS");
}

TEST_F(StartupTest, GarbageSettingsFileNeverCrashesOrWritesJunk) {
  std::string junk;
  for (int i = 0; i < 2000; ++i) junk += static_cast<char>((i * 37 + 11) % 256);
  RunFromCd("");
  m.files.PutFile(kCdIni, junk + "\r\n[General\r\n=\r\n[]\r\nSpeedInstall\r\n");
  app::ReadCdSettings(a);
  EXPECT_EQ(Stored(app::setting::kSpeed), "2");  // absent key: the default "2"
  EXPECT_EQ(Stored(app::setting::kFolderOvs), "");
}

TEST_F(StartupTest, WriteGeneralSettingWritesTheIniBesideTheProgram) {
  EXPECT_TRUE(app::WriteGeneralSetting(a, "SpeedInstall", "1"));
  EXPECT_TRUE(app::WriteGeneralSetting(a, "OVSFolder", "%cdrom%\\Папка"));
  EXPECT_TRUE(app::WriteGeneralSetting(a, "SpeedInstall", "0"));
  const std::string file = "C:\\Program Files\\Orvanta\\orvanta.ini";
  EXPECT_EQ(m.ini.GetString(file, "General", "SpeedInstall", "?"), "0");
  EXPECT_EQ(m.ini.GetString(file, "general", "ovsfolder", "?"), "%cdrom%\\Папка");
  EXPECT_EQ(m.files.Contents(file),
            text::Utf8ToCp1251("[General]\r\nSpeedInstall=0\r\nOVSFolder=%cdrom%\\Папка\r\n"));
  const int writes = m.files.writeCount;
  EXPECT_TRUE(app::WriteGeneralSetting(a, "", "1"));
  EXPECT_TRUE(app::WriteGeneralSetting(a, "SpeedInstall", ""));
  EXPECT_EQ(m.files.writeCount, writes);
  EXPECT_TRUE(m.ui.messages.empty());
}

TEST_F(StartupTest, WriteGeneralSettingReportsAReadOnlyFile) {
  const std::string file = "C:\\Program Files\\Orvanta\\orvanta.ini";
  m.files.PutFile(file, "[General]\r\nSpeedInstall=2\r\n");
  m.files.SetReadOnly(file, true);
  EXPECT_FALSE(app::WriteGeneralSetting(a, "SpeedInstall", "1"));
  ASSERT_EQ(m.ui.messages.size(), 1u);
  EXPECT_EQ(m.ui.messages[0].text,
            "Запись в файл - провалена. Возможно\n установлен атрибут только для чтения");
  EXPECT_EQ(m.files.Contents(file), "[General]\r\nSpeedInstall=2\r\n");
}

TEST(Settings, EveryKeyHasItsDefaultAndNumbersSurviveGarbage) {
  SimApp s;
  const app::Settings& st = s.app.settings;
  EXPECT_EQ(st.Get(app::setting::kFolderOvs), "");
  EXPECT_EQ(st.Get(app::setting::kFolderBrowseExe), "c:\\");
  EXPECT_EQ(st.Get(app::setting::kSpeed), "2");
  EXPECT_EQ(st.Get(app::setting::kRegistry), "0");
  EXPECT_EQ(st.GetNumber(app::setting::kTopMost), 0);
  EXPECT_EQ(st.GetNumber(app::setting::kFirstTip), 0);
  EXPECT_EQ(st.GetNumber(app::setting::kPauseTip), 0);
  s.app.settings.Save(app::setting::kTopMost, "да");
  EXPECT_EQ(st.GetNumber(app::setting::kTopMost), 0);
  s.app.settings.Save(app::setting::kSpeed, "1");
  EXPECT_EQ(*app::ReadRegistryString(s.machine.registry, platform::RegistryRoot::CurrentUser,
                                     "Software\\Orvanta\\Install", "Speed"),
            "1");
}

TEST_F(StartupTest, CommandLinesOfAnyShapeNeverCrashOrStoreJunk) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int i = 0; i < 2000; ++i) {
    std::string line = (i % 2) ? "/ADD" : "";
    const int length = static_cast<int>(next() % 40);
    for (int k = 0; k < length; ++k) line += static_cast<char>(next() >> 16);
    m.system.commandLine = line;
    app::ApplyCommandLine(a);
  }
  EXPECT_EQ(m.registry.writeCount, 0u);
  EXPECT_TRUE(m.ui.messages.empty());
}
