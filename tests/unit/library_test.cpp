// The library window on the simulated machine: the list and its order, the
// hints, list editing, runs, the options menus, and the package dialog.
#include <gtest/gtest.h>

#include "app/macros.h"
#include "app/version.h"
#include "dialogs/frmNew.h"
#include "engine/frmStels.h"
#include "library/frmMain.h"
#include "script/ovs_text.h"
#include "sim_test_support.h"

namespace {

using ui::mb::kIdNo;
using ui::mb::kIdYes;

const char* const kLibrary = "C:\\Библиотека";

class Library : public ::testing::Test {
 protected:
  Library() {
    files().MakeFolders(kLibrary);
    files().PutFile("C:\\Setup\\setup.exe", "MZ");
    app().macros = app::BuildMacroTable(machine().platform);
    app().settings.Save(app::setting::kRegistry, "1");  // no association at start
    app().settings.Save(app::setting::kFolderOvs, kLibrary);
  }

  // A script for `program` with a description, in the library.
  void AddScript(const std::string& name, const std::string& program = "C:\\Setup\\setup.exe",
                 const std::string& description = "") {
    script::ScriptBuffer s(machine().system, [](const std::string& t) { return t; });
    s.NewScript(description);
    s.BeginBlock();
    s.block.windowPath = {{"#32770", "Установка", 1}};
    s.block.mouseEvents = {{1, 1, 5, 5}, {1, 3, 0, 0}};
    s.AppendBlock();
    s.AppendProgramPath(program);
    s.AppendParameters("");
    s.AppendTimeStamp();
    s.ScrambleBuffer();
    files().PutFile(Path(name), s.bytes());
  }
  static std::string Path(const std::string& name) {
    return std::string(kLibrary) + "\\" + name + ".OVS";
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    for (const auto& item : main().List1.items()) out.push_back(item.text);
    return out;
  }
  void Check(std::initializer_list<int> lines) {
    for (int i : lines) main().List1.SyncItemChecked(i, true);
  }
  // A mouse release over line `line` (-1: below the last line).
  void RightClick(int line) {
    const int y = line < 0 ? 1000 : line * sim::SimUi::kItemHeight + 5;
    main().List1.onMouseUp({ui::MouseButton::Right, 10, std::min(y, main().List1.bounds().height)});
  }
  bool Enabled(const std::string& item) { return main().Menu(item).enabled; }

  app::App& app() { return sim.app; }
  sim::SimMachine& machine() { return sim.machine; }
  sim::SimFileSystem& files() { return sim.machine.files; }
  sim::SimUi& ui() { return sim.machine.ui; }
  library::FrmMain& main() { return app().MainWindow(); }

  SimApp sim;
};

TEST_F(Library, LoadsTheFolderInItsStoredOrderWithHints) {
  AddScript("a", "C:\\Setup\\setup.exe", "Архиватор");
  AddScript("b", "C:\\Setup\\gone.exe");
  AddScript("c");
  AddScript("d");
  files().PutFile(Path("e"), "испорчен");
  files().PutFile(std::string(kLibrary) + "\\Position.lst", "d\r\nC\r\nудалён\r\nc\r\n");
  main().Show();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"d", "c", "b", "a", "e"}));
  EXPECT_EQ(main().lblCount.text(), "0 из 5");
  EXPECT_EQ(main().Label1.text(), kLibrary);
  EXPECT_EQ(main().tipTexts(), (std::vector<std::string>{"d", "c", "Не найден исполняемый файл",
                                                          "a - Архиватор", "Файл повреждён"}));
  EXPECT_EQ(main().caption(), "Orvanta (Build " ORVANTA_VERSION_TEXT ")");

  // The hint follows the pointer: the first line under it shows its hint at once.
  main().List1.onMouseMove({ui::MouseButton::None, 10, 3 * sim::SimUi::kItemHeight + 4});
  EXPECT_EQ(main().List1.tooltip(), "a - Архиватор");
}

TEST_F(Library, TheWindowTakesEventsWhileItReadsTheHintsAndAnotherFolderReadsItsOwn) {
  for (int i = 0; i < 40; ++i) AddScript("пакет " + std::to_string(i));
  files().MakeFolders("C:\\Другая");
  files().PutFile("C:\\Другая\\один.OVS", files().ReadFile(Path("пакет 1")).value());
  ui().onPendingEvents = [&] {
    if (app().scriptFolder != kLibrary) return;
    // The user picks another folder while the hints are read.
    app().scriptFolder = "C:\\Другая";
    main().LoadList();
    main().LoadTipText();
  };
  main().Show();
  EXPECT_GT(ui().pendingEventRuns, 0);
  EXPECT_EQ(Lines(), std::vector<std::string>{"один"});
  EXPECT_EQ(main().tipTexts(), std::vector<std::string>{"один"});
  EXPECT_EQ(main().lblStatus.text(), "");
}

TEST_F(Library, AFolderThatIsGoneAsksForAnother) {
  app().settings.Save(app::setting::kFolderOvs, "C:\\Нет такой");
  main().Show();
  EXPECT_TRUE(main().List1.items().empty());
  EXPECT_EQ(main().Label1.text(), "Выберите папку");
  EXPECT_EQ(main().lblStatus.text(), "Ошибка: Выберите существующий каталог");
  EXPECT_EQ(app().settings.Get(app::setting::kFolderOvs), "C:\\Нет такой");
  main().NewPackage();
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].caption, "Внимание");
}

TEST_F(Library, ContextMenuFollowsTheLineUnderThePointer) {
  for (const char* n : {"a", "b", "c", "d", "e"}) AddScript(n);
  main().Show();
  Check({1, 3});
  EXPECT_TRUE(Enabled("mnuRunSelect"));
  RightClick(1);
  EXPECT_EQ(main().ItemClick, 1);
  EXPECT_FALSE(Enabled("mnuSelItem2"));
  EXPECT_TRUE(Enabled("mnuUnselectOne2"));
  RightClick(-1);
  EXPECT_FALSE(Enabled("mnuSelItem2") || Enabled("mnuUnselectOne2") || Enabled("mnuProperty2"));
  EXPECT_TRUE(Enabled("mnuSelectAll2") && Enabled("mnuDelSelect2"));
  EXPECT_EQ(ui().popupsShown, (std::vector<std::string>{"mnuPopup", "mnuPopup"}));

  main().ListInvertSel();
  EXPECT_EQ(main().lblCount.text(), "3 из 5");
  main().ListUnSelect();
  EXPECT_FALSE(Enabled("mnuRunSelect"));
}

TEST_F(Library, DeletingCountsWhatWentAndKeepsAReadOnlyScript) {
  for (const char* n : {"a", "b", "c", "d"}) AddScript(n);
  files().SetReadOnly(Path("b"), true);
  main().Show();
  Check({0, 1, 2});
  ui().messageAnswers = {kIdNo, kIdYes};
  main().DelSelect();
  EXPECT_EQ(Lines().size(), 4u);
  EXPECT_EQ(main().lblCount.text(), "3 из 4");
  EXPECT_FALSE(Enabled("mnuRunSelect"));
  main().DelSelect();
  EXPECT_EQ(ui().messages[1].text,
            "Вы действительно хотите удалить 3 пакетов?\r\nВосстановить эти файлы будет невозможно.");
  EXPECT_EQ(main().lblStatus.text(), "Удачно удалено - 2 из 3");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"b", "d"}));
  EXPECT_EQ(main().lblCount.text(), "0 из 2");
}

TEST_F(Library, MovingKeepsMarkAndHintAndTheOrderIsSavedOnClose) {
  AddScript("a", "C:\\Setup\\setup.exe", "первый");
  AddScript("b", "C:\\Setup\\setup.exe", "второй");
  AddScript("c");
  main().Show();
  Check({1});
  main().List1.SetSelectedIndex(1);
  main().MoveUp();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(main().List1.items()[0].checked);
  EXPECT_EQ(main().tipTexts()[0], "b - второй");
  EXPECT_EQ(main().List1.selectedIndex(), 0);
  main().MoveUp();  // at the top: nothing
  EXPECT_EQ(Lines()[0], "b");

  const std::string list = std::string(kLibrary) + "\\Position.lst";
  files().PutFile(list, "old\r\n");
  files().diskFullAfter = 3;  // the write fails part-way
  main().Close();
  EXPECT_EQ(files().ReadFile(list), "old\r\n");
  files().diskFullAfter.reset();
  main().Show();
  main().List1.SetSelectedIndex(2);
  main().MoveUp();
  main().Close();
  EXPECT_EQ(files().ReadFile(list), "a\r\nc\r\nb\r\n");
}

// On an English Windows (code page 1252) a Cyrillic package name keeps its
// place: the list is written in UTF-8 after its mark, and read so; an ANSI
// list is read in the system's code page. Before, the name was left out of the file and
// fell back to the end of the list.
TEST_F(Library, ANameTheCodePageLacksKeepsItsPlaceInTheList) {
  machine().system.codePage = 1252;
  for (const char* n : {"Café", "Zeta", "Полиглот"}) AddScript(n);
  const std::string list = std::string(kLibrary) + "\\Position.lst";
  files().PutFile(list, "Zeta\r\nCaf\xE9\r\n");  // written by an English Windows
  main().Show();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Zeta", "Café", "Полиглот"}));
  main().Close();
  EXPECT_EQ(files().ReadFile(list), "\xEF\xBB\xBFZeta\r\nCafé\r\nПолиглот\r\n");

  main().Show();
  main().List1.SetSelectedIndex(2);
  main().MoveUp();
  main().MoveUp();
  main().Close();
  EXPECT_EQ(files().ReadFile(list), "\xEF\xBB\xBFПолиглот\r\nZeta\r\nCafé\r\n");
  main().Show();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Полиглот", "Zeta", "Café"}));
}

TEST_F(Library, RunCheckedPlaysTheCheckedLinesInListOrder) {
  for (const char* n : {"a", "b", "c", "d", "e"}) AddScript(n);
  main().Show();
  Check({3, 1});
  main().ProcRunOVS();
  EXPECT_EQ(app().playQueue, (std::vector<std::string>{"", Path("b"), Path("d")}));
  EXPECT_FALSE(main().IsVisible());
  EXPECT_TRUE(app().ControlBar().IsVisible());
  EXPECT_EQ(app().ControlBar().lblKolvoProg.text(), "1/2");
  EXPECT_FALSE(app().recordingMode);
}

TEST_F(Library, SpeedAndTopMostSurviveARestart) {
  main().Show();
  main().Menu("mnuSpd1").onClick();
  EXPECT_EQ(app().settings.Get(app::setting::kSpeed), "1");
  main().Menu("mnuTopMost").onClick();
  main().Close();

  app::App second(machine().platform);
  second.MainWindow().Show();
  EXPECT_TRUE(second.MainWindow().Menu("mnuSpd1").checked);
  EXPECT_FALSE(second.MainWindow().Menu("mnuSpd0").checked || second.MainWindow().Menu("mnuSpd2").checked);
  EXPECT_TRUE(second.MainWindow().Menu("mnuTopMost").checked);
  EXPECT_TRUE(machine().desktop.IsTopmost(second.MainWindow().handle()));
  second.MainWindow().Close();

  app().settings.Save(app::setting::kSpeed, "7");
  app::App third(machine().platform);
  third.MainWindow().Show();
  for (const char* item : {"mnuSpd0", "mnuSpd1", "mnuSpd2"}) {
    EXPECT_FALSE(third.MainWindow().Menu(item).checked);
  }
}

class PackageDialog : public Library {
 protected:
  // Opens the dialog; `act` fills it and presses its buttons.
  void Open(bool properties, std::function<void(dialogs::FrmNew&)> act) {
    ui().modalHandlers["frmNew"] = [act](ui::Form& f) { act(static_cast<dialogs::FrmNew&>(f)); };
    if (properties) {
      main().ShowProperty();
    } else {
      main().NewPackage();
    }
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& m : ui().messages) out.push_back(m.text);
    return out;
  }
};

TEST_F(PackageDialog, NewPackageChecksInOrderThenRecords) {
  AddScript("Demo");
  main().Show();
  app().settings.Save(app::setting::kFirstTip, "1");
  ui().fileDialogAnswers = {std::string("C:\\Setup\\setup.exe")};
  ui().messageAnswers = {ui::mb::kIdOk, ui::mb::kIdOk, kIdNo, kIdYes};
  bool stillOpen = true;
  Open(false, [&](dialogs::FrmNew& d) {
    d.cmdBrowse.Click();
    EXPECT_EQ(d.txtNameExe.text(), "setup");
    d.txtNameExe.SyncText("  ");
    d.cmdOk.Click();
    EXPECT_EQ(ui().focused, "txtNameExe");
    d.txtNameExe.SyncText("a/b");
    d.cmdOk.Click();
    d.txtNameExe.SyncText("DEMO");  // the same file on Windows
    d.cmdOk.Click();
    EXPECT_TRUE(ui().focusSelectedAll);
    d.txtComandLine.SyncText("  /S  ");
    d.cmdOk.Click();
    stillOpen = d.IsOpen();
  });
  EXPECT_FALSE(stillOpen);
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], "Введите имя пакета");
  EXPECT_EQ(texts[1], "Имя файла не должно содержать следующих знаков \r\n\\:/*?\"<>|");
  EXPECT_EQ(texts[2].rfind("Пакет с именем 'DEMO' уже существует", 0), 0u);
  EXPECT_EQ(app().pendingPackage.packageName, "DEMO");
  EXPECT_EQ(app().pendingPackage.parameters, "/S");
  EXPECT_EQ(app().settings.Get(app::setting::kFolderBrowseExe), "C:\\Setup");
  EXPECT_TRUE(app().recordingMode);
  EXPECT_TRUE(app().ControlBar().IsVisible());
  EXPECT_FALSE(main().IsVisible());
}

TEST_F(PackageDialog, TheCloseBoxIsCancel) {
  main().Show();
  app().settings.Save(app::setting::kFirstTip, "1");
  ui().fileDialogAnswers = {std::string("C:\\Setup\\setup.exe")};
  Open(false, [&](dialogs::FrmNew& d) {
    d.cmdBrowse.Click();
    EXPECT_EQ(app().pendingPackage.programPath, "C:\\Setup\\setup.exe");
    d.Close(ui::CloseReason::User);
  });
  EXPECT_EQ(app().pendingPackage.programPath, "");
  EXPECT_FALSE(app().ControlBar().IsOpen());
  EXPECT_TRUE(main().IsVisible());
}

TEST_F(PackageDialog, TextsTheCodePageCannotHoldAreRefusedAtTheFieldAtFault) {
  main().Show();
  app().settings.Save(app::setting::kFirstTip, "1");
  files().PutFile("C:\\Установки\\日本\\setup.exe", "MZ");
  ui().fileDialogAnswers = {std::string("C:\\Установки\\日本\\setup.exe")};
  std::vector<std::string> focused;
  Open(false, [&](dialogs::FrmNew& d) {
    d.cmdBrowse.Click();
    d.txtNameExe.SyncText("Офис ☺");  // a file name: any character Windows allows
    d.cmdOk.Click();
    focused.push_back(ui().focused);
    ui().fileDialogAnswers = {std::string("C:\\Setup\\setup.exe")};
    d.cmdBrowse.Click();
    d.txtNameExe.SyncText("Офис™");
    d.txtDescription.SyncText("Café ñ");
    d.cmdOk.Click();
    focused.push_back(ui().focused);
    EXPECT_TRUE(d.IsOpen());
    d.cmdCancel.Click();
  });
  EXPECT_EQ(focused, (std::vector<std::string>{"txtAdressExe", "txtDescription"}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "В поле «Исполняемый файл» есть знаки, которые невозможно сохранить в "
                         "файле в кодировке Windows: 日 本\r\nЗамените или удалите их.",
                         "В поле «Описание» есть знаки, которые невозможно сохранить в файле в "
                         "кодировке Windows: é ñ\r\nЗамените или удалите их."}));
  EXPECT_FALSE(app().ControlBar().IsOpen());
}

TEST_F(PackageDialog, AFolderWhereLetterCaseMattersKeepsTheFileNamesItHolds) {
  files().SetCaseSensitive(kLibrary);
  AddScript("a");
  AddScript("b");
  const std::string folder = std::string(kLibrary) + "\\";
  ASSERT_TRUE(files().MoveFile(Path("a"), folder + "a.ovs"));
  files().PutFile(folder + "position.lst", "b\r\na\r\n");
  main().Show();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(main().tipTexts(), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(main().ScriptPathOf(1), folder + "a.ovs");

  main().ItemClick = 1;
  Open(true, [&](dialogs::FrmNew& d) {
    EXPECT_EQ(d.txtAdressExe.text(), "C:\\Setup\\setup.exe");
    d.txtNameExe.SyncText("c");
    d.cmdOk.Click();
  });
  EXPECT_TRUE(files().Exists(folder + "c.ovs"));
  EXPECT_FALSE(files().Exists(folder + "a.ovs") || files().Exists(folder + "c.OVS"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"b", "c"}));
  main().Close();
  EXPECT_EQ(files().Contents(folder + "position.lst"), "b\r\nc\r\n");
  EXPECT_FALSE(files().Exists(folder + "Position.lst"));

  main().Show();
  Check({1});
  ui().messageAnswers = {kIdYes};
  main().DelSelect();
  EXPECT_FALSE(files().Exists(folder + "c.ovs"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"b"}));
}

TEST_F(PackageDialog, PropertiesRenameAndRefuseAnotherPackagesName) {
  AddScript("Старое");
  AddScript("Другое");
  files().PutFile(std::string(kLibrary) + "\\Position.lst",
                  machine().system.ToAnsi("Старое\r\nДругое\r\n"));
  main().Show();
  main().ItemClick = 0;  // "Старое"
  ASSERT_EQ(Lines()[0], "Старое");
  ui().messageAnswers = {ui::mb::kIdOk, kIdNo, kIdYes};
  Open(true, [&](dialogs::FrmNew& d) {
    EXPECT_EQ(d.caption(), "Свойства");
    EXPECT_EQ(d.txtAdressExe.text(), "C:\\Setup\\setup.exe");
    d.txtAdressExe.SyncText("C:\\Setup\\*.exe");
    d.cmdOk.Click();
    EXPECT_EQ(ui().focused, "txtAdressExe");
    d.txtAdressExe.SyncText("%PROGRAMFILES%\\Нет\\setup.exe");
    d.cmdOk.Click();  // "not found" answered No
    EXPECT_TRUE(d.IsOpen());
    d.cmdOk.Click();  // answered Yes: saved under the unchanged name
    EXPECT_FALSE(d.IsOpen());
  });
  EXPECT_TRUE(files().FindEntry(Path("Старое")));
  script::ScriptBuffer saved(machine().system, [](const std::string& t) { return t; });
  ASSERT_TRUE(saved.LoadPlainScript(files(), Path("Старое")));
  EXPECT_EQ(saved.ReadProgramPath(), "%PROGRAMFILES%\\Нет\\setup.exe");

  const size_t before = ui().messages.size();
  main().ItemClick = 0;
  ui().messageAnswers = {kIdYes, ui::mb::kIdOk};
  Open(true, [&](dialogs::FrmNew& d) {
    d.txtNameExe.SyncText("другое");
    d.cmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    d.txtNameExe.SyncText("Новое");
    d.cmdOk.Click();
  });
  EXPECT_EQ(ui().messages[before + 1].text.rfind("Пакет с именем 'другое' уже есть", 0), 0u);
  EXPECT_TRUE(files().FindEntry(Path("Другое")));
  EXPECT_TRUE(files().FindEntry(Path("Новое")));
  EXPECT_FALSE(files().FindEntry(Path("Старое")));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Новое", "Другое"}));  // it keeps its place
}

TEST_F(PackageDialog, PropertiesThatCannotBeSavedKeepTheDialogAndTheFiles) {
  // A trailer that does not follow the blocks: the program cannot edit it.
  script::ScriptImage image;
  ASSERT_FALSE(script::ScriptFromText(
      "block\nwindow \"#32770\" \"Setup\" 1\nend\ngap \"xx\"\nprogram \"C:\\\\Setup\\\\setup.exe\"\n",
      image));
  script::ScriptBuffer odd(machine().system, [](const std::string& t) { return t; });
  odd.SetBytes(script::BuildScript(image));
  odd.ScrambleBuffer();
  files().PutFile(Path("Странный"), odd.bytes());
  AddScript("Старое");
  main().Show();
  main().ItemClick = 1;
  ASSERT_EQ(Lines()[1], "Странный");
  Open(true, [&](dialogs::FrmNew& d) {
    d.txtComandLine.SyncText("/S");
    d.cmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    EXPECT_EQ(ui().focused, "txtAdressExe");
    d.cmdCancel.Click();
  });
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].rfind("Свойства не сохранены", 0), 0u) << Texts()[0];
  EXPECT_EQ(files().Contents(Path("Странный")), odd.bytes());

  files().PutFile(Path("Чужое"), "не из списка");  // the list does not show it yet
  main().ItemClick = 0;
  ASSERT_EQ(Lines()[0], "Старое");
  Open(true, [&](dialogs::FrmNew& d) {
    d.txtNameExe.SyncText("Чужое");
    d.cmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    EXPECT_EQ(ui().focused, "txtNameExe");
    d.cmdCancel.Click();
  });
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[1].rfind("Пакет с именем 'Чужое' уже есть", 0), 0u);
  EXPECT_EQ(files().Contents(Path("Чужое")), "не из списка");
  EXPECT_TRUE(files().Exists(Path("Старое")));
}

TEST_F(PackageDialog, TheFocusGoesFromTheNameToTheButtonsAndThenToTheRest) {
  dialogs::FrmNew dialog(app());
  std::vector<std::string> order;
  for (const ui::Control* c : dialog.controls()) {
    if (c->kind() == ui::ControlKind::TextBox || c->kind() == ui::ControlKind::Button) {
      order.push_back(c->name());
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"txtNameExe", "txtAdressExe", "cmdBrowse", "cmdOk",
                                             "cmdCancel", "txtDescription", "txtComandLine"}));
}

}  // namespace
