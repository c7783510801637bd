// The disc-image wizard on the simulated machine: its steps and buttons, the
// image it writes, the failures it reports, the setup programs it carries,
// and the library window that shows the image afterwards.
#include <gtest/gtest.h>

#include <optional>

#include "dialogs/frmWizard.h"
#include "library/frmMain.h"
#include "platform/text.h"
#include "script/ovs_text.h"
#include "sim_test_support.h"

namespace {

const std::string kLibrary = "C:\\Библиотека";
const std::string kImage = "C:\\Образ";
const std::string kCopyWarning =
    "Не все файлы были скопированы.\r\nВозможно Вы не обладаете правами доступа, \r\n"
    "папка только для чтения\r\nили не достаточно места.";

class Wizard : public ::testing::Test {
 protected:
  Wizard() {
    app().macros = app::BuildMacroTable(machine().platform);
    files().PutFile(machine().system.programFolder + "\\help.chm", "ITSF");
    files().MakeFolders(kImage);
    AddScript("Архиватор", "C:\\Distr\\7z.exe");
    AddScript("Офис", "%PROGRAMFILES%\\Office\\setup.exe");
    files().PutFile(kLibrary + "\\Position.lst", text::Utf8ToCp1251("Офис\r\nАрхиватор\r\n"));
  }

  // A script of one click whose setup program is `program`.
  void AddScript(const std::string& name, const std::string& program) {
    std::string quoted;
    for (char c : program) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    script::ScriptImage image;
    ASSERT_FALSE(
        script::ScriptFromText("block\nwindow \"#32770\" \"Setup\" 1\nmouse press left 9 9\n"
                               "end\nprogram \"" +
                                   quoted + "\"\n",
                               image));
    script::ScriptBuffer s(machine().system, [](const std::string& t) { return t; });
    s.SetBytes(script::BuildScript(image));
    s.ScrambleBuffer();
    files().PutFile(Script(kLibrary, name), s.bytes());
  }
  static std::string Script(const std::string& folder, const std::string& name) {
    return folder + "\\" + name + ".OVS";
  }
  std::string ProgramPathOf(const std::string& path) {
    script::ScriptBuffer s(machine().system, [](const std::string& t) { return t; });
    EXPECT_TRUE(s.LoadPlainScript(files(), path)) << path;
    return s.ReadProgramPath();
  }
  std::string Ini(const std::string& key) {
    return machine().ini.GetString(machine().system.programFolder + "\\orvanta.ini", "General", key,
                                   "-");
  }

  void ChooseImage(std::optional<std::string> folder) {
    ui().folderAnswers.push_back(folder);
    wizard.Command4.Click();
  }
  void ChooseScripts(std::optional<std::string> folder) {
    ui().folderAnswers.push_back(folder);
    wizard.Command5.Click();
  }
  // Opens the wizard and goes to the check before copying.
  void ToCheckStep(const std::string& image = kImage, bool setups = false) {
    wizard.Show();
    ChooseImage(image);
    wizard.cmdNext.Click();
    ChooseScripts(kLibrary);
    wizard.chkSoft.SyncChecked(setups);
    wizard.cmdNext.Click();
    ASSERT_EQ(wizard.currentStep(), 2);
  }
  std::string FolderOvs() { return app().settings.Get(app::setting::kFolderOvs); }
  std::vector<std::string> Texts(const std::vector<sim::SimUi::ShownMessage>& shown) {
    std::vector<std::string> out;
    for (const auto& m : shown) out.push_back(m.text);
    return out;
  }

  app::App& app() { return sim.app; }
  sim::SimMachine& machine() { return sim.machine; }
  sim::SimFileSystem& files() { return sim.machine.files; }
  sim::SimUi& ui() { return sim.machine.ui; }

  SimApp sim;
  dialogs::FrmWizard wizard{sim.app};
};

TEST_F(Wizard, StepsAndButtonsFollowTheChoices) {
  app().settings.Save(app::setting::kSpeed, "7");  // no entry of the speed list
  files().MakeFolders("C:\\Пусто");
  files().PutFile(kImage + "\\Folder OVS\\Старый.OVS", "x");
  wizard.Show();
  EXPECT_EQ(wizard.caption(), "Мастер создания диска (Шаг 1 из 5)");
  EXPECT_FALSE(wizard.cmdPrev.enabled() || wizard.cmdNext.enabled());
  EXPECT_TRUE(wizard.frm1[0].visible() && wizard.Command4.visible());
  EXPECT_FALSE(wizard.frm1[1].visible() || wizard.Command5.visible());
  EXPECT_EQ(wizard.cmbSpeed.selectedIndex(), -1);
  EXPECT_EQ(wizard.Label1.text(), "Выберите путь");

  ChooseImage(std::nullopt);
  EXPECT_EQ(wizard.Label1.text(), "Вы должны выбрать расположение");
  EXPECT_EQ(wizard.Label1.foreColor(), ui::Rgb(192, 0, 0));
  EXPECT_FALSE(wizard.cmdNext.enabled());
  ChooseImage(kImage);
  EXPECT_EQ(wizard.Label1.foreColor(), ui::Rgb(0, 128, 0));
  ASSERT_TRUE(wizard.cmdNext.enabled());
  wizard.cmdNext.Click();
  EXPECT_EQ(wizard.caption(), "Мастер создания диска (Шаг 2 из 5)");
  EXPECT_TRUE(wizard.cmdPrev.enabled());
  EXPECT_FALSE(wizard.cmdNext.enabled());
  EXPECT_EQ(ui().focused, "Command5");  // not the disabled button, which would lose it

  // Refusals: no scripts, the image's own script folder, nothing chosen.
  ChooseScripts("C:\\Пусто");
  EXPECT_EQ(wizard.lblCountFile.text(), "0 - файлов");
  EXPECT_EQ(wizard.lblDiagnoz.text(),
            "Вы должны выбрать папку, в которой содержиться как минимум 1 файл OVS");
  ChooseScripts(kImage + "\\Folder OVS");
  EXPECT_FALSE(wizard.lblDiagnoz.text().empty());
  EXPECT_FALSE(wizard.cmdNext.enabled());
  ChooseScripts(std::nullopt);
  EXPECT_EQ(wizard.Label2.text(), "Вы должны выбрать расположение");
  EXPECT_EQ(wizard.lblCountFile.text(), "");
  ChooseScripts(kLibrary);
  EXPECT_EQ(wizard.lblCountFile.text(), "2 - файлов");
  EXPECT_EQ(wizard.lblDiagnoz.text(), "");
  ASSERT_TRUE(wizard.cmdNext.enabled());

  // Leaving step 2 writes the settings file, again after going back.
  wizard.cmdNext.Click();
  EXPECT_EQ(wizard.lblDest.text(), kImage);
  EXPECT_EQ(wizard.lblsource.text(), kLibrary);
  EXPECT_EQ(wizard.lblProga.text(), machine().system.programFolder);
  EXPECT_EQ(Ini("SpeedInstall"), "0");
  EXPECT_EQ(Ini("OVSFolder"), "%cdrom%\\Folder OVS");
  wizard.cmdPrev.Click();
  EXPECT_EQ(wizard.currentStep(), 1);
  EXPECT_TRUE(wizard.cmdPrev.enabled() && wizard.cmdNext.enabled());
  wizard.cmbSpeed.SyncSelectedIndex(1);
  wizard.cmdNext.Click();
  EXPECT_EQ(Ini("SpeedInstall"), "1");
  wizard.cmdPrev.Click();
  wizard.cmdPrev.Click();
  EXPECT_EQ(wizard.currentStep(), 0);
  EXPECT_FALSE(wizard.cmdPrev.enabled());
  EXPECT_TRUE(wizard.cmdNext.enabled());
  EXPECT_FALSE(files().Exists(kImage + "\\Orvanta"));

  // Cancel asks first; it undoes nothing.
  ui().messageAnswers = {ui::mb::kIdNo, ui::mb::kIdYes};
  wizard.cmdCancel.Click();
  EXPECT_TRUE(wizard.IsOpen());
  wizard.cmdCancel.Click();
  EXPECT_FALSE(wizard.IsOpen());
  EXPECT_EQ(ui().messages[0].text, "Вы действительно хотите прервать работу мастера?");
  EXPECT_EQ(ui().messages[0].flags, 0x24u);
  EXPECT_EQ(Ini("SpeedInstall"), "1");
}

TEST_F(Wizard, CopiesTheImageOnceAndMakesItTheLibrary) {
  AddScript("Скрытый", "C:\\Distr\\7z.exe");
  AddScript("Системный", "C:\\Distr\\7z.exe");
  files().SetHiddenSystem(Script(kLibrary, "Скрытый"), true, false);
  files().SetHiddenSystem(Script(kLibrary, "Системный"), false, true);
  ToCheckStep();
  wizard.cmdNext.Click();
  const std::string p = machine().system.programFolder;
  EXPECT_EQ(wizard.operationLog(),
            "Сoздание папки C:\\Образ\\Folder OVS\r\n"
            "Копирование файла `C:\\Библиотека\\Офис.OVS` в `C:\\Образ\\Folder OVS\\Офис.OVS\r\n"
            "Копирование файла `C:\\Библиотека\\Архиватор.OVS` в "
            "`C:\\Образ\\Folder OVS\\Архиватор.OVS\r\n"
            "Копирование файла `C:\\Библиотека\\position.lst` в "
            "`C:\\Образ\\Folder OVS\\position.lst\r\n"
            "Сoздание папки C:\\Образ\\Orvanta\r\n"
            "Копирование файла `" +
                p +
                "\\Orvanta.exe` в `C:\\Образ\\Orvanta\\Orvanta.exe\r\n"
                "Копирование файла `" +
                p +
                "\\Orvanta.ini` в `C:\\Образ\\Orvanta\\Orvanta.ini\r\n"
                "Копирование файла `" +
                p +
                "\\help.chm` в `C:\\Образ\\Orvanta\\help.chm\r\n"
                "Создание файла автозапуска C:\\Образ\\autorun.inf\r\n"
                "Процесс копирования завершён успешно");
  EXPECT_EQ(wizard.txtLog.text(), wizard.operationLog());
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_EQ(files().Contents(kImage + "\\Folder OVS\\Офис.OVS"),
            files().Contents(Script(kLibrary, "Офис")));
  EXPECT_EQ(files().Contents(kImage + "\\Orvanta\\Orvanta.ini"),
            files().Contents(p + "\\orvanta.ini"));
  EXPECT_EQ(files().Contents(kImage + "\\autorun.inf"),
            "[Autorun]\r\nopen=orvanta\\Orvanta.exe\r\nicon=orvanta\\Orvanta.exe,0\r\n");
  EXPECT_EQ(FolderOvs(), kImage + "\\Folder OVS");
  EXPECT_FALSE(files().Exists(kImage + "\\Folder OVS\\Скрытый.OVS") ||
               files().Exists(kImage + "\\Folder OVS\\Системный.OVS"));

  // The copy cannot be repeated; then the last page, then the end.
  EXPECT_FALSE(wizard.cmdPrev.enabled());
  EXPECT_EQ(wizard.cmdNext.text(), "Далее");
  wizard.cmdNext.Click();
  EXPECT_EQ(wizard.cmdNext.text(), "Финиш");
  EXPECT_FALSE(wizard.cmdPrev.enabled());
  EXPECT_TRUE(wizard.lblExample.visible());
  wizard.cmdNext.Click();
  EXPECT_FALSE(wizard.IsOpen());
}

TEST_F(Wizard, AnEarlierImageOnADriveRootIsUpdatedButItsReadOnlyFilesAreKept) {
  files().AddDrive('E', platform::DriveType::Removable);
  files().PutFile("E:\\autorun.inf", "[Autorun]\r\nlabel=Диск\r\nopen=old.exe\r\n");
  files().PutFile("E:\\Folder OVS\\Офис.OVS", "old");
  files().SetReadOnly("E:\\Folder OVS\\Офис.OVS", true);
  ToCheckStep("E:\\");
  wizard.cmdNext.Click();
  EXPECT_EQ(Texts(ui().messages), std::vector<std::string>{kCopyWarning});
  EXPECT_EQ(FolderOvs(), "");
  const std::string& log = wizard.operationLog();
  EXPECT_EQ(log.find("E:\\\\"), std::string::npos) << log;
  EXPECT_NE(log.find("`E:\\Folder OVS\\Офис.OVS\r\nОшибка копирования файла\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(
      files().Contents("E:\\autorun.inf"),
      "[Autorun]\r\nlabel=Диск\r\nopen=orvanta\\Orvanta.exe\r\nicon=orvanta\\Orvanta.exe,0\r\n");
  EXPECT_EQ(files().Contents("E:\\Folder OVS\\Офис.OVS"), "old");
  EXPECT_TRUE(files().Attributes("E:\\Folder OVS\\Офис.OVS")->readOnly);
  EXPECT_EQ(files().Contents("E:\\Folder OVS\\Архиватор.OVS"),
            files().Contents(Script(kLibrary, "Архиватор")));
}

TEST_F(Wizard, ACopyThatFailsHalfWayWarnsAndKeepsTheLibrary) {
  app().settings.Save(app::setting::kFolderOvs, kLibrary);
  files().PutFile(kImage + "\\autorun.inf", "");
  files().SetReadOnly(kImage + "\\autorun.inf", true);
  ToCheckStep();
  files().diskFullAfter = 10;  // the first script is cut off
  wizard.cmdNext.Click();
  const std::string& log = wizard.operationLog();
  EXPECT_NE(log.find("Офис.OVS\r\nОшибка копирования файла\r\nКопирование файла "
                     "`C:\\Библиотека\\Архиватор.OVS`"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Ошибка создания файла автозапуска C:\\Образ\\autorun.inf\r\n"
                     "Процесс копирования провален"),
            std::string::npos);
  EXPECT_TRUE(files().Exists(kImage + "\\Orvanta\\help.chm"));  // the rest was copied
  EXPECT_EQ(Texts(ui().messages),
            (std::vector<std::string>{
                "Запись в файл - провалена. Возможно\n установлен атрибут только для чтения",
                kCopyWarning}));
  EXPECT_EQ(ui().messages[1].flags, 0x30u);
  EXPECT_EQ(ui().messages[1].caption, "Orvanta");
  EXPECT_EQ(FolderOvs(), kLibrary);
  EXPECT_FALSE(wizard.cmdPrev.enabled());
}

TEST_F(Wizard, SetupProgramsGoOntoTheDiscWithTheirOwnFiles) {
  const std::string office = "C:\\Program Files (x86)\\Office\\";
  files().PutFile(office + "setup.exe", std::string(1500, 'x'));
  files().PutFile(office + "data.cab", std::string(2600, 'x'));
  files().PutFile(office + "setup.ini", "[Setup]");
  // One folder holds the setups of two packages: each goes alone.
  files().PutFile("C:\\Distr\\7z.exe", "MZ7z");
  files().PutFile("C:\\Distr\\edit.exe", "MZedit");
  AddScript("Редактор", "C:\\Distr\\edit.exe");
  const std::string library = files().Contents(Script(kLibrary, "Офис"));
  ToCheckStep(kImage, /*setups=*/true);
  EXPECT_TRUE(wizard.lstSoft.visible());
  EXPECT_EQ(wizard.lblSoft.text(), "Программы установки в папку \"soft\": 5 файлов, 4,0 КБ");
  ASSERT_EQ(wizard.lstSoft.items().size(), 3u);
  EXPECT_EQ(wizard.lstSoft.items()[0].text, "Офис — setup.exe с папкой «Office»: 3 файла, 4,0 КБ");
  EXPECT_EQ(wizard.lstSoft.items()[1].text, "Архиватор — 7z.exe, 4 байта");

  wizard.cmdNext.Click();
  EXPECT_TRUE(ui().messages.empty()) << wizard.operationLog();
  EXPECT_EQ(files().Contents(kImage + "\\soft\\Офис\\data.cab"), std::string(2600, 'x'));
  EXPECT_TRUE(files().Exists(kImage + "\\soft\\Офис\\setup.ini"));
  EXPECT_TRUE(files().Exists(kImage + "\\soft\\Архиватор\\7z.exe"));
  EXPECT_FALSE(files().Exists(kImage + "\\soft\\Архиватор\\edit.exe"));
  EXPECT_EQ(ProgramPathOf(Script(kImage + "\\Folder OVS", "Офис")),
            "%cdrom%\\soft\\Офис\\setup.exe");
  EXPECT_EQ(ProgramPathOf(Script(kImage + "\\Folder OVS", "Редактор")),
            "%cdrom%\\soft\\Редактор\\edit.exe");
  EXPECT_EQ(files().Contents(Script(kLibrary, "Офис")), library);
  EXPECT_EQ(FolderOvs(), kImage + "\\Folder OVS");

  wizard.cmdNext.Click();
  EXPECT_EQ(wizard.lblManual.text(),
            "Остался 1 шаг, который необходимо будет Вам выполнить вручную");
  EXPECT_FALSE(wizard.lblExample.visible() || wizard.lblAdvice.visible());
}

TEST_F(Wizard, ASetupProgramThatIsMissingIsALoggedFailure) {
  files().PutFile("C:\\Program Files (x86)\\Office\\setup.exe", "MZ");
  ToCheckStep(kImage, /*setups=*/true);
  EXPECT_EQ(wizard.lstSoft.items()[1].text,
            "Архиватор — не найдена программа установки C:\\Distr\\7z.exe");
  EXPECT_EQ(wizard.lblSoft.foreColor(), ui::Rgb(192, 0, 0));
  wizard.cmdNext.Click();
  EXPECT_NE(wizard.operationLog().find(
                "Ошибка: пакет Архиватор — не найдена программа установки C:\\Distr\\7z.exe\r\n"),
            std::string::npos);
  EXPECT_EQ(Texts(ui().messages), std::vector<std::string>{kCopyWarning});
  EXPECT_EQ(ProgramPathOf(Script(kImage + "\\Folder OVS", "Архиватор")), "C:\\Distr\\7z.exe");
  EXPECT_EQ(ProgramPathOf(Script(kImage + "\\Folder OVS", "Офис")),
            "%cdrom%\\soft\\Офис\\setup.exe");
  EXPECT_EQ(FolderOvs(), "");
  wizard.cmdNext.Click();
  EXPECT_NE(wizard.lblStep5.text().find("Архиватор"), std::string::npos);
  EXPECT_TRUE(wizard.lblExample.visible());
}

TEST_F(Wizard, TheLibraryWindowShowsTheImageInTheOrderItShowed) {
  app().settings.Save(app::setting::kRegistry, "1");  // no association at start
  app().settings.Save(app::setting::kFolderOvs, kLibrary);
  library::FrmMain& main = app().MainWindow();
  main.Show();
  ASSERT_EQ(main.List1.items()[0].text, "Офис");
  main.List1.SetSelectedIndex(0);
  main.MoveDown();  // not saved yet
  ui().modalHandlers["frmWizard"] = [this](ui::Form& form) {
    auto& shown = static_cast<dialogs::FrmWizard&>(form);
    ui().folderAnswers = {kImage, kLibrary};
    shown.Command4.Click();
    shown.cmdNext.Click();
    shown.Command5.Click();
    for (int step = 2; step <= 5; ++step) shown.cmdNext.Click();
    EXPECT_FALSE(shown.IsOpen());
  };
  main.Menu("mnuIso").onClick();
  EXPECT_EQ(main.Label1.text(), kImage + "\\Folder OVS");
  EXPECT_EQ(main.List1.items()[0].text, "Архиватор");
  EXPECT_EQ(main.List1.items()[1].text, "Офис");
}

}  // namespace
