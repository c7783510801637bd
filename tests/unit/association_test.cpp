// The ".ovs" association: run once, again from the menu, and the question
// before another program's registration is taken over.
#include <gtest/gtest.h>

#include "app/paths.h"
#include "shell/mdlAsociating.h"
#include "sim_test_support.h"

namespace {

using platform::RegistryRoot;

constexpr const char* kQuestion =
    "Желаете ли Вы сделать программу Orvanta\r\nпрограммой по умолчания для файлов .ovs?";

struct AssociationTest : ::testing::Test {
  SimApp s;
  sim::SimMachine& m = s.machine;

  std::string Hkcr(const std::string& key) {
    return app::ReadRegistryString(m.registry, RegistryRoot::ClassesRoot, key, "")
        .value_or("<none>");
  }
  void Register(const std::string& progId) {
    m.registry.WriteString(RegistryRoot::ClassesRoot, ".ovs", "", progId);
  }
  std::string Stored() { return s.app.settings.Get(app::setting::kRegistry); }
};

TEST_F(AssociationTest, FirstRunWritesAllSixRowsWithoutAQuestion) {
  m.system.programFolder = "C:\\Tools";
  shell::RunAssociationOnce(s.app, nullptr);
  EXPECT_TRUE(m.ui.messages.empty());
  EXPECT_EQ(Hkcr(".ovs"), "orvanta");
  EXPECT_EQ(Hkcr("orvanta"), "Сценарий установки программ");
  EXPECT_EQ(Hkcr("orvanta\\shell"), "Open");
  EXPECT_EQ(Hkcr("orvanta\\shell\\Open"), "Открыть в Orvanta");
  EXPECT_EQ(Hkcr("orvanta\\DefaultIcon"), "C:\\Tools\\orvanta.exe,0");
  EXPECT_EQ(Hkcr("orvanta\\shell\\Open\\command"), "\"C:\\Tools\\orvanta.exe\" /add %1");
  EXPECT_EQ(Stored(), "1");

  // Done: the next start leaves the registry alone, even after a change.
  Register("other");
  shell::RunAssociationOnce(s.app, nullptr);
  EXPECT_TRUE(m.ui.messages.empty());
  EXPECT_EQ(Hkcr(".ovs"), "other");
}

TEST_F(AssociationTest, OwnRegistrationFollowsAMovedProgramAndKeepsItsTypeName) {
  Register("orvanta");
  m.registry.WriteString(RegistryRoot::ClassesRoot, "orvanta", "", "renamed by the user");
  m.system.programFolder = "D:\\";  // a root ends with its backslash already
  shell::AssociateAgain(s.app, nullptr);
  EXPECT_TRUE(m.ui.messages.empty());
  EXPECT_EQ(Hkcr("orvanta"), "renamed by the user");
  EXPECT_EQ(Hkcr("orvanta\\DefaultIcon"), "D:\\orvanta.exe,0");
  EXPECT_EQ(Hkcr("orvanta\\shell\\Open\\command"), "\"D:\\orvanta.exe\" /add %1");
}

TEST_F(AssociationTest, AnotherProgramsRegistrationIsTakenOverOnlyWhenTheUserAgrees) {
  for (const char* foreign : {"Orvanta", "WinRAR.ovs"}) {
    SCOPED_TRACE(foreign);
    SimApp fresh;
    sim::SimMachine& fm = fresh.machine;
    fm.registry.WriteString(RegistryRoot::ClassesRoot, ".ovs", "", foreign);
    const size_t writesBefore = fm.registry.writeCount;

    fm.ui.messageAnswers.push_back(ui::mb::kIdNo);
    shell::RunAssociationOnce(fresh.app, nullptr);
    ASSERT_EQ(fm.ui.messages.size(), 1u);
    EXPECT_EQ(fm.ui.messages[0].text, kQuestion);
    EXPECT_EQ(fm.ui.messages[0].caption, "Orvanta");
    EXPECT_EQ(fm.ui.messages[0].flags, 36u);
    EXPECT_EQ(fm.registry.writeCount, writesBefore + 1);  // only Install/Registry
    EXPECT_EQ(fresh.app.settings.Get(app::setting::kRegistry), "1");
    shell::RunAssociationOnce(fresh.app, nullptr);  // the next start asks no more
    EXPECT_EQ(fm.ui.messages.size(), 1u);

    fm.ui.messageAnswers.push_back(ui::mb::kIdYes);
    shell::AssociateAgain(fresh.app, nullptr);
    EXPECT_EQ(fm.ui.messages.size(), 2u);
    EXPECT_EQ(app::ReadRegistryString(fm.registry, RegistryRoot::ClassesRoot, ".ovs", ""),
              "orvanta");
    EXPECT_EQ(app::ReadRegistryString(fm.registry, RegistryRoot::ClassesRoot,
                                      "orvanta\\shell\\Open\\command", ""),
              "\"C:\\Program Files\\Orvanta\\orvanta.exe\" /add %1");
  }
}

TEST_F(AssociationTest, WithoutRightsNothingIsSaidAndTheRegistrationCountsAsDone) {
  m.registry.deniedRoots.insert(RegistryRoot::ClassesRoot);
  shell::RunAssociationOnce(s.app, nullptr);
  EXPECT_TRUE(m.ui.messages.empty());
  EXPECT_EQ(Hkcr(".ovs"), "<none>");
  EXPECT_EQ(Stored(), "1");
}

}  // namespace
