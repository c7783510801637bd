#include "app/macros.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

namespace {

struct MacroFixture : ::testing::Test {
  sim::SimMachine m;
  app::MacroTable Build() { return app::BuildMacroTable(m.platform); }
};

}  // namespace

TEST(JoinPath, AddsOneBackslashAndDropsOneLeadingBackslashOfTheRest) {
  EXPECT_EQ(app::JoinPath("C:\\Program Files", "\\App"), "C:\\Program Files\\App");
  EXPECT_EQ(app::JoinPath("C:\\Program Files\\", "\\App"), "C:\\Program Files\\App");
  EXPECT_EQ(app::JoinPath("C:\\Program Files", "App"), "C:\\Program Files\\App");
  EXPECT_EQ(app::JoinPath("C:\\Program Files", ""), "C:\\Program Files");
  EXPECT_EQ(app::JoinPath("C:\\X", "\\\\Y"), "C:\\X\\\\Y");  // only one is dropped
  EXPECT_EQ(app::JoinPath("", "\\App"), "App");
}

TEST_F(MacroFixture, TableHoldsThisMachinesFolders) {
  const app::MacroTable t = Build();
  EXPECT_EQ(t.values[0], "C:\\Program Files (x86)");  // where 32-bit setups install
  EXPECT_EQ(t.values[1], "Иван");
  EXPECT_EQ(t.values[2], "C:\\WINDOWS");
  EXPECT_EQ(t.values[3], "C:\\WINDOWS\\TEMP");
  EXPECT_EQ(t.values[4], "");
  EXPECT_EQ(t.cdromDrives, std::vector<std::string>{"D:\\"});
}

TEST_F(MacroFixture, ProgramFilesOn32BitWindowsAndWithoutTheRegistryValues) {
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
  m.registry.DeleteValue(platform::RegistryRoot::LocalMachine, key, "ProgramFilesDir (x86)");
  EXPECT_EQ(Build().values[0], "C:\\Program Files");  // 32-bit Windows has one folder
  m.registry.DeleteValue(platform::RegistryRoot::LocalMachine, key, "ProgramFilesDir");
  m.system.programFilesFolder = "C:\\Programs";
  EXPECT_EQ(Build().values[0], "C:\\Programs");
}

TEST_F(MacroFixture, FoldersAreContractedOnlyAsWholePathParts) {
  m.system.userName = "Ann";
  const app::MacroTable t = Build();
  EXPECT_EQ(app::ContractMacros(t, "C:\\Program Files (x86)\\Vendor\\setup.exe"),
            "%PROGRAMFILES%\\Vendor\\setup.exe");
  EXPECT_EQ(app::ContractMacros(t, "/D=c:\\program files (x86)"), "/D=%PROGRAMFILES%");
  // 64-bit programs' folder has no macro and stays literal.
  EXPECT_EQ(app::ContractMacros(t, "C:\\Program Files\\Vendor\\setup.exe"),
            "C:\\Program Files\\Vendor\\setup.exe");
  EXPECT_EQ(app::ContractMacros(t, "C:\\Users\\Anna\\x;C:\\Users\\JoAnn\\x;C:\\Users\\Ann\\x"),
            "C:\\Users\\Anna\\x;C:\\Users\\JoAnn\\x;C:\\Users\\%USERNAME%\\x");
  EXPECT_EQ(app::ContractMacros(t, "C:\\WINDOWS.OLD\\a"), "C:\\WINDOWS.OLD\\a");
  EXPECT_EQ(app::ContractMacros(t, "Ann"), "%USERNAME%");

  // A machine whose value is the 64-bit folder (32-bit Windows, or a
  // recorder that read it) must not cut "C:\\Program Files (x86)" in two.
  m.registry.DeleteValue(platform::RegistryRoot::LocalMachine,
                         "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)");
  EXPECT_EQ(app::ContractMacros(Build(), "C:\\Program Files (x86)\\Vendor\\setup.exe"),
            "C:\\Program Files (x86)\\Vendor\\setup.exe");
}

TEST_F(MacroFixture, ContractionAndExpansionIgnoreCase) {
  const app::MacroTable t = Build();
  EXPECT_EQ(app::ContractMacros(t, "C:\\PROGRAM FILES (X86)\\App\\setup.exe"),
            "%PROGRAMFILES%\\App\\setup.exe");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%PROGRAMFILES%\\App\\setup.exe"),
            "C:\\Program Files (x86)\\App\\setup.exe");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%programfiles%"), "C:\\Program Files (x86)");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%Windows%\\system32"), "C:\\WINDOWS\\system32");
}

TEST_F(MacroFixture, CyrillicFoldersMatchWithoutRegardToCase) {
  m.system.userName = "Пётр";
  m.system.tempPath = "C:\\Документы\\Пётр\\Temp\\";
  const app::MacroTable t = Build();
  // The user name row comes first, so the temp folder is no longer matched whole.
  EXPECT_EQ(app::ContractMacros(t, "c:\\документы\\ПЁТР\\temp\\x.txt"),
            "c:\\документы\\%USERNAME%\\temp\\x.txt");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%USERNAME%"), "Пётр");
}

TEST_F(MacroFixture, OnlyTheFirstOccurrenceIsReplaced) {
  const app::MacroTable t = Build();
  EXPECT_EQ(app::ContractMacros(t, "C:\\WINDOWS\\a C:\\WINDOWS\\b"), "%WINDOWS%\\a C:\\WINDOWS\\b");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%TEMP%\\a;%TEMP%\\b"), "C:\\WINDOWS\\TEMP\\a;%TEMP%\\b");
}

TEST_F(MacroFixture, CdRomExpandsToTheFirstDriveThatHasThePath) {
  m.files.AddDrive('E', platform::DriveType::CdRom);
  m.files.PutFile("E:\\Setup\\setup.exe", "MZ");
  const app::MacroTable t = Build();
  ASSERT_EQ(t.cdromDrives, (std::vector<std::string>{"D:\\", "E:\\"}));
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%CDROM%\\Setup\\setup.exe"), "E:\\Setup\\setup.exe");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%cdrom%\\Nowhere"), "%cdrom%\\Nowhere");
  // A disc inserted after start-up is still found: existence is tested each time.
  m.files.PutFile("D:\\Late\\a.exe", "MZ");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%CDROM%\\Late\\a.exe"), "D:\\Late\\a.exe");
}

TEST_F(MacroFixture, ContractionMakesCdRomAPrefixAndDropsWhatWasBefore) {
  m.files.AddDrive('E', platform::DriveType::CdRom);
  const app::MacroTable t = Build();
  EXPECT_EQ(app::ContractMacros(t, "/path=E:\\Data"), "%CDROM%\\Data");
}

TEST_F(MacroFixture, RunningFromACdRomUsesThatDriveAndContractsNothingOnIt) {
  m.system.programFolder = "D:\\";
  m.files.AddDrive('E', platform::DriveType::CdRom);
  const app::MacroTable t = Build();
  EXPECT_EQ(t.values[4], "D:\\");
  EXPECT_TRUE(t.cdromDrives.empty());
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%CDROM%\\Folder OVS"), "D:\\Folder OVS");
  EXPECT_EQ(app::ContractMacros(t, "D:\\Folder OVS"), "D:\\Folder OVS");
}

TEST_F(MacroFixture, EmptyValuesAreSkippedWhenContracting) {
  m.system.userName = "";
  const app::MacroTable t = Build();
  EXPECT_EQ(app::ContractMacros(t, "C:\\x"), "C:\\x");
  EXPECT_EQ(app::ExpandMacros(t, m.files, "%USERNAME%\\x"), "x");
}

TEST(IsRunningFromDisc, OnlyTheDriveOfTheProgramFolderCounts) {
  sim::SimMachine m;
  m.files.AddDrive('E', platform::DriveType::Removable);
  EXPECT_FALSE(app::IsRunningFromDisc(m.files, "E:\\Orvanta"));  // a plain copy on a stick
  m.files.PutFile("E:\\Orvanta\\orvanta.ini", "");
  EXPECT_TRUE(app::IsRunningFromDisc(m.files, "E:\\Orvanta"));  // a disc image on a stick
  m.files.currentFolder = "D:\\";  // started from a prompt on the CD-ROM drive
  ASSERT_EQ(m.files.GetDriveType("\\"), platform::DriveType::CdRom);
  EXPECT_FALSE(app::IsRunningFromDisc(m.files, "\\\\server\\share\\orvanta"));
  EXPECT_FALSE(app::IsRunningFromDisc(m.files, "C:\\Program Files\\Orvanta"));
  EXPECT_FALSE(app::IsRunningFromDisc(m.files, ""));
  EXPECT_TRUE(app::IsRunningFromDisc(m.files, "D:\\Orvanta"));
  EXPECT_TRUE(app::IsRunningFromDisc(m.files, "d:"));
}
