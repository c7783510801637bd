#include "dialogs/file_dialogs.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

using namespace std::string_literals;

TEST(FileDialogFilter, TurnsBarsIntoNulSeparatedPairs) {
  EXPECT_EQ(dialogs::BuildDialogFilter("Исполняемые файлы (*.exe)|*.exe|"),
            "Исполняемые файлы (*.exe)\0*.exe\0"s);
  // Without the final bar the last pattern is still ended.
  EXPECT_EQ(
      dialogs::BuildDialogFilter("Программы (*.exe)|*.exe|Пакетные файлы MS-DOS (*.bat)|*.bat"),
      "Программы (*.exe)\0*.exe\0Пакетные файлы MS-DOS (*.bat)\0*.bat\0"s);
  EXPECT_EQ(dialogs::BuildDialogFilter(""), "\0"s);
}

TEST(FileDialogs, OpenAndSaveAskTheBackendWithTheirOwnFlags) {
  SimApp s;
  s.machine.ui.fileDialogAnswers = {"C:\\Setup\\setup.exe", "C:\\Lib\\New.OVS"};
  EXPECT_EQ(
      dialogs::ShowOpenDialog(s.machine.ui, nullptr, "Программы|*.exe", "Открыть", "C:\\Setup"),
      "C:\\Setup\\setup.exe");
  EXPECT_EQ(dialogs::ShowSaveDialog(s.machine.ui, nullptr, "Файлы (*.OVS)|*.OVS|", "Сохранить",
                                    "C:\\Lib"),
            "C:\\Lib\\New.OVS");

  ASSERT_EQ(s.machine.ui.fileDialogs.size(), 2u);
  const ui::FileDialogRequest& open = s.machine.ui.fileDialogs[0];
  EXPECT_FALSE(open.save);
  EXPECT_EQ(open.flags, 0x1004u);
  EXPECT_EQ(open.filter, "Программы\0*.exe\0"s);
  EXPECT_EQ(open.title, "Открыть");
  EXPECT_EQ(open.initialFolder, "C:\\Setup");
  EXPECT_EQ(open.maxPath, 255);
  const ui::FileDialogRequest& save = s.machine.ui.fileDialogs[1];
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.flags, 0x2006u);
  EXPECT_EQ(save.maxPath, 255);
}

TEST(FileDialogs, ResultIsTrimmedAndCutAtTheBufferEnd) {
  SimApp s;
  s.machine.ui.fileDialogAnswers = {"  C:\\Мои программы\\setup.exe  ", "C:\\a.exe\0   junk"s,
                                    "   "};
  EXPECT_EQ(dialogs::ShowOpenDialog(s.machine.ui, nullptr, "", "", ""),
            "C:\\Мои программы\\setup.exe");
  EXPECT_EQ(dialogs::ShowOpenDialog(s.machine.ui, nullptr, "", "", ""), "C:\\a.exe");
  EXPECT_EQ(dialogs::ShowOpenDialog(s.machine.ui, nullptr, "", "", ""), "");
}
