// The simulated file system must fail the way a real disk does, or the
// tests built on it prove nothing.
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

TEST(SimFiles, WritesNeedAnExistingFolderAWritableDriveAndAWritableFile) {
  sim::SimMachine m;
  EXPECT_FALSE(m.files.WriteFile("C:\\NoFolder\\a.txt", "x"));
  EXPECT_FALSE(m.files.WriteFile("D:\\a.txt", "x"));  // a CD-ROM
  EXPECT_FALSE(m.files.WriteFile("Q:\\a.txt", "x"));
  m.files.PutFile("C:\\S\\a.txt", "old");
  m.files.SetReadOnly("C:\\S\\a.txt", true);
  EXPECT_FALSE(m.files.WriteFile("C:\\S\\a.txt", "new"));
  EXPECT_FALSE(m.files.DeleteFile("C:\\S\\a.txt"));
  EXPECT_FALSE(m.files.ReplaceFile("C:\\S\\b.txt", "C:\\S\\a.txt"));
  EXPECT_EQ(m.files.Contents("C:\\S\\a.txt"), "old");
}

TEST(SimFiles, DiskFullLeavesAPartialFileAndDenialLeavesItUntouched) {
  sim::SimMachine m;
  m.files.PutFile("C:\\S\\a.txt", "old contents");
  m.files.denyNextWrite = true;
  EXPECT_FALSE(m.files.WriteFile("C:\\S\\a.txt", "new"));
  EXPECT_EQ(m.files.Contents("C:\\S\\a.txt"), "old contents");
  m.files.diskFullAfter = 2;
  EXPECT_FALSE(m.files.WriteFile("C:\\S\\a.txt", "new contents"));
  EXPECT_EQ(m.files.Contents("C:\\S\\a.txt"), "ne");
  EXPECT_TRUE(m.files.WriteFile("C:\\S\\a.txt", "again"));  // switches act once
}

TEST(SimFiles, ListingMatchesPatternsWithoutRegardToCase) {
  sim::SimMachine m;
  m.files.PutFile("C:\\Lib\\Офис.OVS", "1");
  m.files.PutFile("C:\\Lib\\zip.ovs", "2");
  m.files.PutFile("C:\\Lib\\Position.lst", "3");
  m.files.MakeFolders("C:\\Lib\\Sub.ovs");
  auto entries = m.files.ListFolder("C:\\lib", "*.ovs");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_FALSE(m.files.ListFolder("C:\\Nowhere", "*.ovs"));
  EXPECT_FALSE(m.files.ListFolder("C:\\Lib\\zip.ovs", "*"));
  EXPECT_TRUE(m.files.FindEntry("C:\\Lib\\*.lst"));
  EXPECT_FALSE(m.files.FindEntry("C:\\Lib\\*.exe"));
}

TEST(SimIni, FollowsTheProfileRules) {
  sim::SimMachine m;
  m.files.PutFile("C:\\a.ini",
                  "; comment\r\n[general]\r\n  SpeedInstall =  1 \r\nQuoted=\"two words\"\r\n"
                  "[Other]\r\nSpeedInstall=9\r\n");
  EXPECT_EQ(m.ini.GetString("C:\\a.ini", "General", "speedinstall", "d"), "1");
  EXPECT_EQ(m.ini.GetString("C:\\a.ini", "General", "Quoted", "d"), "two words");
  EXPECT_EQ(m.ini.GetString("C:\\a.ini", "General", "Missing", "d"), "d");
  EXPECT_EQ(m.ini.GetString("C:\\none.ini", "General", "SpeedInstall", "2"), "2");
  m.files.PutFile("C:\\long.ini", "[G]\r\nK=" + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(m.ini.GetString("C:\\long.ini", "G", "K", "").size(), 127u);
}

TEST(SimFiles, PathsResolveLikeWindowsWithoutLongPathSupport) {
  sim::SimMachine m;  // current folder: the program's
  m.files.PutFile("C:\\Program Files\\Orvanta\\Setup.OVS", "x");
  EXPECT_TRUE(m.files.FindEntry("Setup.OVS"));
  EXPECT_TRUE(m.files.Attributes("..\\Orvanta\\.\\setup.ovs"));
  EXPECT_EQ(m.files.ReadFile("\\Program Files\\Orvanta\\Setup.OVS"), "x");
  EXPECT_EQ(m.files.ReadFile("c:Setup.OVS"), "x");
  EXPECT_FALSE(m.files.Attributes("D:Setup.OVS"));  // another drive: its root
  EXPECT_FALSE(m.files.Attributes(""));

  // A full path takes at most 259 characters; a new folder 247.
  const std::string folder = "C:\\" + std::string(200, 'f');  // 203 characters
  m.files.MakeFolders(folder);
  EXPECT_TRUE(m.files.WriteFile(folder + "\\" + std::string(55, 'n'), "x"));
  EXPECT_FALSE(m.files.WriteFile(folder + "\\" + std::string(56, 'n'), "x"));
  EXPECT_TRUE(m.files.CreateFolder(folder + "\\" + std::string(43, 'd')));
  EXPECT_FALSE(m.files.CreateFolder(folder + "\\" + std::string(44, 'd')));
  m.files.currentFolder = folder;  // relative names count in full
  EXPECT_TRUE(m.files.Attributes(std::string(55, 'n')));
  EXPECT_FALSE(m.files.WriteFile(std::string(56, 'n'), "x"));
  EXPECT_FALSE(m.files.WriteFile("C:\\" + std::string(256, 'n'), "x"));  // a name over 255
}
