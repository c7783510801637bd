#include "script/save_script.h"

#include <gtest/gtest.h>

#include "app/macros.h"
#include "sim_test_support.h"

namespace {

using namespace std::string_literals;
using ui::mb::kIdNo;
using ui::mb::kIdYes;

const char* const kWriteFailedCaption = "Ошибка при сохранении";
const char* const kGiveUpCaption = "Не сохранять?";

std::string WriteFailedText(const std::string& path) {
  return "Файл не сохранён.\r\nНевозможно внести изменения в файл \r\n'" + path +
         "'.\r\nЖелаете сохранить файл в другом месте?";
}

struct SaveScript : ::testing::Test {
  SaveScript() {
    s.machine.files.MakeFolders("C:\\Lib");
    s.machine.files.MakeFolders("C:\\Other");
    s.app.scriptFolder = "C:\\Lib";
    s.app.script.SetBytes(kScript);
  }
  bool Save(std::string& path) { return script::SaveScript(s.app, &controlBar, path); }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& m : s.machine.ui.messages) captions.push_back(m.caption);
    return captions;
  }

  SimApp s;
  ui::Form controlBar{s.machine.ui, "frmStels"};
  sim::SimFileSystem& files = s.machine.files;
  sim::SimUi& ui = s.machine.ui;
  const std::string kScript = std::string("\x9E\x00\x4D", 3) + "script bytes";
  std::string path = "C:\\Lib\\Office.OVS";
};

TEST_F(SaveScript, ReplacesALongerScriptWithoutTrailingBytesOrQuestions) {
  files.PutFile(path, std::string(4000, 'x'));
  EXPECT_TRUE(Save(path));
  EXPECT_EQ(files.Contents(path), kScript);
  EXPECT_EQ(path, "C:\\Lib\\Office.OVS");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.fileDialogs.empty());
}

TEST_F(SaveScript, ReadOnlyScriptAsksAndAnswerNoKeepsTheOldFile) {
  files.PutFile(path, "old script");
  files.SetReadOnly(path, true);
  ui.messageAnswers = {kIdNo};
  EXPECT_FALSE(Save(path));

  EXPECT_EQ(files.Contents(path), "old script");
  EXPECT_EQ(files.ListFolder("C:\\Lib", "*")->size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, kWriteFailedCaption);
  EXPECT_EQ(ui.messages[0].text, WriteFailedText("C:\\Lib\\Office.OVS"));
  EXPECT_EQ(ui.messages[0].flags, 0x24u);
  EXPECT_EQ(ui.messages[0].owner, "frmStels");
  EXPECT_TRUE(ui.fileDialogs.empty());
  EXPECT_EQ(path, "C:\\Lib\\Office.OVS");
}

TEST_F(SaveScript, DiskFullThenGivingUpKeepsTheOldFileAndEndsQuietly) {
  files.PutFile(path, "old script");
  files.diskFullAfter = 4;
  ui.messageAnswers = {kIdYes, kIdYes};
  ui.fileDialogAnswers = {std::nullopt};
  EXPECT_FALSE(Save(path));

  EXPECT_EQ(files.Contents(path), "old script");
  EXPECT_EQ(files.ListFolder("C:\\Lib", "*")->size(), 1u);
  EXPECT_EQ(Captions(), (std::vector<std::string>{kWriteFailedCaption, kGiveUpCaption}));
  EXPECT_EQ(ui.messages[1].text, "Вы уверены, что отказываетесь сохранить файл?");
  EXPECT_EQ(ui.messages[1].flags, 0x24u);
  EXPECT_EQ(ui.fileDialogs.size(), 1u);
  EXPECT_EQ(ui.unansweredMessages, 0);
}

TEST_F(SaveScript, AnotherPlaceFromTheDialogGetsTheExtensionAndBecomesThePath) {
  files.denyNextWrite = true;
  ui.messageAnswers = {kIdYes};
  ui.fileDialogAnswers = {"C:\\Other\\Test"};
  EXPECT_TRUE(Save(path));

  EXPECT_EQ(path, "C:\\Other\\Test.OVS");
  EXPECT_EQ(files.Contents("C:\\Other\\Test.OVS"), kScript);
  EXPECT_FALSE(files.Exists("C:\\Lib\\Office.OVS"));
  ASSERT_EQ(ui.fileDialogs.size(), 1u);
  const ui::FileDialogRequest& dialog = ui.fileDialogs[0];
  EXPECT_TRUE(dialog.save);
  EXPECT_EQ(dialog.filter, "Файлы Орванты (*.OVS)\0*.OVS\0"s);
  EXPECT_EQ(dialog.title, "Сохранить");
  EXPECT_EQ(dialog.initialFolder, "C:\\Lib");
  EXPECT_EQ(dialog.flags, 0x2006u);
}

TEST_F(SaveScript, OnlyAnExactUpperCaseExtensionIsKept) {
  for (const auto& [chosen, saved] : std::vector<std::pair<std::string, std::string>>{
           {"C:\\Other\\a.ovs", "C:\\Other\\a.ovs.OVS"},
           {"C:\\Other\\b.OVS", "C:\\Other\\b.OVS"},
           {"C:\\Other\\c.Ovs", "C:\\Other\\c.Ovs.OVS"}}) {
    std::string target = path;
    files.denyNextWrite = true;
    ui.messageAnswers = {kIdYes};
    ui.fileDialogAnswers = {chosen};
    EXPECT_TRUE(script::SaveScript(s.app, nullptr, target));
    EXPECT_EQ(target, saved);
    EXPECT_EQ(files.Contents(saved), kScript);
  }
}

TEST_F(SaveScript, TheLongestNameTheDialogTakesIsSavedWithItsExtension) {
  // 254 characters (not bytes) fill the dialog's buffer of 255; with ".OVS"
  // the path is 258 characters long, still one the system writes.
  std::string folder = "C:\\";
  for (int i = 0; i < 200; ++i) folder += "п";
  files.MakeFolders(folder);
  const std::string chosen = folder + "\\" + std::string(50, 'b');
  files.denyNextWrite = true;
  ui.messageAnswers = {kIdYes};
  ui.fileDialogAnswers = {chosen};
  EXPECT_TRUE(Save(path));
  EXPECT_EQ(path, chosen + ".OVS");
  EXPECT_EQ(files.Contents(path), kScript);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(SaveScript, CancelThenNoTriesTheSamePathAgain) {
  files.denyNextWrite = true;
  ui.messageAnswers = {kIdYes, kIdNo};
  ui.fileDialogAnswers = {std::nullopt};
  EXPECT_TRUE(Save(path));
  EXPECT_EQ(path, "C:\\Lib\\Office.OVS");
  EXPECT_EQ(files.Contents(path), kScript);
  EXPECT_EQ(Captions(), (std::vector<std::string>{kWriteFailedCaption, kGiveUpCaption}));
}

TEST_F(SaveScript, AFailingNewPlaceIsNamedInTheNextQuestion) {
  files.denyNextWrite = true;
  ui.messageAnswers = {kIdYes, kIdNo};
  ui.fileDialogAnswers = {"D:\\Test.OVS"};  // a CD cannot be written
  EXPECT_FALSE(Save(path));
  EXPECT_EQ(path, "D:\\Test.OVS");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, WriteFailedText("D:\\Test.OVS"));
}

struct SaveRecording : ::testing::Test {
  SaveRecording() {
    s.machine.files.MakeFolders("C:\\Lib");
    s.app.macros = app::BuildMacroTable(s.machine.platform);
    s.app.scriptFolder = "C:\\Lib";
    // A 32-bit setup on 64-bit Windows, where most recorded setups live.
    s.app.pendingPackage = {"C:\\Program Files (x86)\\App\\setup.exe", "Office 97", "Офис", "/S"};
    s.app.script.NewScript("Офис");
  }
  void RecordOneClick() {
    script::ScriptBuffer& buffer = s.app.script;
    buffer.BeginBlock();
    buffer.block.windowPath = {{"#32770", "Установка", 1}, {"Button", "&Далее >", 1}};
    buffer.block.mouseEvents = {{1, 1, 10, 5}, {1, 3, 0, 0}};
    buffer.AppendBlock();
  }

  SimApp s;
  ui::Form controlBar{s.machine.ui, "frmStels"};
};

TEST_F(SaveRecording, SavesTheFinishedScrambledScriptUnderThePackageName) {
  RecordOneClick();
  EXPECT_TRUE(script::SaveRecording(s.app, &controlBar));

  const std::string path = "C:\\Lib\\Office 97.OVS";
  EXPECT_EQ(s.app.pendingPackage.programPath, "%PROGRAMFILES%\\App\\setup.exe");
  EXPECT_EQ(s.machine.files.Contents(path), s.app.script.bytes());
  EXPECT_TRUE(s.machine.ui.messages.empty());

  script::ScriptBuffer saved(s.machine.system, [](const std::string& t) { return t; });
  ASSERT_TRUE(saved.LoadPlainScript(s.machine.files, path));
  EXPECT_EQ(saved.header().blockCount, 1);
  EXPECT_EQ(saved.ReadProgramPath(), "%PROGRAMFILES%\\App\\setup.exe");
  EXPECT_EQ(saved.ReadParameters(), "/S");
  EXPECT_EQ(saved.ReadDescription(), "Офис");
}

TEST_F(SaveRecording, NothingRecordedSavesNothingAndSaysNothing) {
  EXPECT_FALSE(script::SaveRecording(s.app, &controlBar));
  EXPECT_EQ(s.machine.files.ListFolder("C:\\Lib", "*")->size(), 0u);
  EXPECT_TRUE(s.machine.ui.messages.empty());
  EXPECT_TRUE(s.machine.ui.fileDialogs.empty());
}

TEST_F(SaveRecording, AFailedSaveAsksAboutTheLibraryScript) {
  RecordOneClick();
  s.machine.files.denyNextWrite = true;
  s.machine.ui.messageAnswers = {kIdNo};
  EXPECT_FALSE(script::SaveRecording(s.app, &controlBar));
  ASSERT_EQ(s.machine.ui.messages.size(), 1u);
  EXPECT_EQ(s.machine.ui.messages[0].text, WriteFailedText("C:\\Lib\\Office 97.OVS"));
  EXPECT_EQ(s.machine.ui.messages[0].owner, "frmStels");
  EXPECT_FALSE(s.machine.files.Exists("C:\\Lib\\Office 97.OVS"));
}

}  // namespace
