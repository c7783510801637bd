#include "app/paths.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

using app::AddBackslash;
using app::FileTitleOfPath;
using app::FolderOfPath;

TEST(PathExists, FindsFilesFoldersAndRootsButNotEmptyText) {
  sim::SimMachine m;
  m.files.PutFile("C:\\Scripts\\Setup.OVS", "x");
  EXPECT_TRUE(app::PathExists(m.files, "C:\\Scripts\\Setup.OVS"));
  EXPECT_TRUE(app::PathExists(m.files, " C:\\Scripts "));
  EXPECT_TRUE(app::PathExists(m.files, "c:\\scripts\\setup.ovs"));
  EXPECT_TRUE(app::PathExists(m.files, "C:\\"));
  EXPECT_TRUE(app::PathExists(m.files, "C:\\Scripts\\"));  // only the attribute test finds it
  EXPECT_FALSE(app::PathExists(m.files, ""));
  EXPECT_FALSE(app::PathExists(m.files, "   "));
  EXPECT_FALSE(app::PathExists(m.files, "Q:\\"));
  EXPECT_FALSE(app::PathExists(m.files, "C:\\Scripts\\Missing.OVS"));
}

TEST(FolderOfPath, SkipsABackslashInTheLastPosition) {
  EXPECT_EQ(FolderOfPath("C:\\Scripts\\Setup.OVS"), "C:\\Scripts");
  EXPECT_EQ(FolderOfPath("C:\\Setup.OVS"), "C:");
  EXPECT_EQ(FolderOfPath("C:\\Scripts\\"), "C:");
  EXPECT_EQ(FolderOfPath("Setup.OVS"), "");
  EXPECT_EQ(FolderOfPath(""), "");
  EXPECT_EQ(FolderOfPath("\\"), "");
  EXPECT_EQ(FolderOfPath("C:\\Папка\\Файл.OVS"), "C:\\Папка");
}

TEST(FileTitleOfPath, TakesTheNameBetweenLastBackslashAndLastDot) {
  EXPECT_EQ(FileTitleOfPath("C:\\Scripts\\Office 97.OVS"), "Office 97");
  EXPECT_EQ(FileTitleOfPath("C:\\a.b.OVS"), "a.b");
  EXPECT_EQ(FileTitleOfPath("C:\\Scripts\\README"), "");
  EXPECT_EQ(FileTitleOfPath("Setup.OVS"), "");
  EXPECT_EQ(FileTitleOfPath("C:\\dir.x\\README"), "");  // the dot belongs to the folder
  EXPECT_EQ(FileTitleOfPath("C:\\Программы\\Установка.OVS"), "Установка");
  EXPECT_EQ(FileTitleOfPath(""), "");
}

TEST(AddBackslash, AddsOnlyWhenMissing) {
  EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
  EXPECT_EQ(AddBackslash("C:\\Scripts"), "C:\\Scripts\\");
  EXPECT_EQ(AddBackslash(""), "");
}

TEST(StripTrailingNuls, RemovesOnlyTrailingNuls) {
  EXPECT_EQ(app::StripTrailingNuls(std::string("ab\0c\0\0", 6)), std::string("ab\0c", 4));
  EXPECT_EQ(app::StripTrailingNuls(std::string("\0\0", 2)), "");
}

TEST(RegistryStrings, OnlyStringValuesAreReadAndCutAtTheFirstNul) {
  sim::SimMachine m;
  using platform::RegistryRoot;
  m.registry.SetValue(RegistryRoot::LocalMachine, "K", "Dword",
                      {platform::RegistryType::Dword, "", 5});
  m.registry.SetValue(RegistryRoot::LocalMachine, "K", "Text",
                      {platform::RegistryType::String, std::string("abc\0junk", 8), 0});
  m.registry.SetValue(RegistryRoot::LocalMachine, "K", "Expand",
                      {platform::RegistryType::ExpandString, "%TEMP%", 0});
  EXPECT_FALSE(app::ReadRegistryString(m.registry, RegistryRoot::LocalMachine, "K", "Dword"));
  EXPECT_FALSE(app::ReadRegistryString(m.registry, RegistryRoot::LocalMachine, "K", "Expand"));
  EXPECT_FALSE(app::ReadRegistryString(m.registry, RegistryRoot::LocalMachine, "K", "Missing"));
  EXPECT_EQ(*app::ReadRegistryString(m.registry, RegistryRoot::LocalMachine, "k", "TEXT"), "abc");
  app::WriteRegistryString(m.registry, RegistryRoot::CurrentUser, "Software\\X", "V", "Значение");
  EXPECT_EQ(*app::ReadRegistryString(m.registry, RegistryRoot::CurrentUser, "Software\\X", "V"),
            "Значение");
}

TEST(RenameFile, FailsOverAnExistingTarget) {
  sim::SimMachine m;
  m.files.PutFile("C:\\S\\Old.OVS", "1");
  m.files.PutFile("C:\\S\\Taken.OVS", "2");
  EXPECT_FALSE(app::RenameFile(m.files, "C:\\S\\Old.OVS", "C:\\S\\Taken.OVS"));
  EXPECT_EQ(m.files.Contents("C:\\S\\Taken.OVS"), "2");
  EXPECT_TRUE(app::RenameFile(m.files, "C:\\S\\Old.OVS", "C:\\S\\New.OVS"));
  EXPECT_EQ(m.files.Contents("C:\\S\\New.OVS"), "1");
  EXPECT_FALSE(m.files.Exists("C:\\S\\Old.OVS"));
}
