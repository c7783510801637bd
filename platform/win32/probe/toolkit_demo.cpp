// toolkit_demo.exe: one window with a control of every kind of the form
// toolkit, run by the end-to-end tests to check that the Win32 backend shows
// what a form holds and routes the user's actions back to its handlers.
// Every handler appends a line to toolkit_demo.log beside the program.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/ui.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_ui.h"

namespace {

class FrmDemo : public ui::Form {
 public:
  FrmDemo(ui::Backend& ui, win32::Win32FileSystem& files, std::string logPath)
      : ui::Form(ui, "frmDemo"), files_(files), logPath_(std::move(logPath)) {
    SetCaption("Проверка элементов");
    SetBounds({-1, -1, 420, 300});
    Layout();
    Wire();
  }

 private:
  void Layout() {
    fraBox.SetText("Рамка");
    fraBox.SetBounds({10, 10, 190, 60});
    lblStatus.SetText("Готово");
    lblStatus.SetBounds({10, 22, 170, 20});
    cmdGo.SetText("Пуск");
    cmdGo.SetBounds({10, 80, 90, 26});
    cmdGo.SetDefault(true);
    chkOption.SetText("Параметр");
    chkOption.SetBounds({110, 80, 100, 22});
    txtName.SetText("Имя");
    txtName.SetBounds({10, 116, 190, 22});
    cboSpeed.SetBounds({10, 148, 190, 120});
    for (const char* s : {"Медленно", "Обычно", "Быстро"}) cboSpeed.AddItem(s);
    cboSpeed.SetSelectedIndex(1);
    lstPackages.SetBounds({220, 10, 190, 120});
    for (const char* s : {"Офис", "Архиватор", "Браузер"}) lstPackages.AddItem(s);
    lstPackages.SetItemChecked(1, true);
    lstPlain.SetBounds({220, 140, 190, 60});
    lstPlain.AddItem("Строка");
    cmdPicture.SetText("Картинка");
    cmdPicture.SetTooltip("Кнопка с картинкой");
    cmdPicture.SetBounds({10, 184, 90, 27});
    lblTicks.SetText("Тиков: 0");
    lblTicks.SetBounds({10, 220, 190, 20});
    lblTicks.SetColors(ui::Rgb(0, 0, 160), ui::kDefaultColor);
    ui::MenuItem& file = menu().Add("mnuFile", "&Файл");
    file.Add("mnuHello", "Привет", "F5").onClick = [this] {
      Log("menu mnuHello");
      backend().MessageBox(this, "Привет из меню", "Orvanta", ui::mb::kOk);
    };
    file.Add("mnuSep", "-");
    file.Add("mnuExit", "Выход").onClick = [this] { Close(); };
  }

  void Wire() {
    onLoad = [this] { tmrTick.SetEnabled(true); };
    cmdGo.onClick = [this] {
      lblStatus.SetText("Нажата кнопка");
      Log("click cmdGo");
    };
    chkOption.onChange = [this] { Log("check chkOption " + std::to_string(chkOption.checked())); };
    txtName.onChange = [this] { Log("text txtName " + txtName.text()); };
    cboSpeed.onChange = [this] { Log("select cboSpeed " + std::to_string(cboSpeed.selectedIndex())); };
    lstPackages.onItemCheck = [this](int i) {
      Log("item lstPackages " + std::to_string(i) + " " +
          std::to_string(lstPackages.items()[i].checked));
    };
    cmdPicture.onClick = [this] { Log("click cmdPicture"); };
    tmrTick.onTick = [this] {
      lblTicks.SetText("Тиков: " + std::to_string(++ticks_));
      if (ticks_ == 3) {
        tmrTick.SetEnabled(false);
        Log("ticks 3");
      }
    };
    onUnload = [this] { Log("unload"); };
  }

  void Log(const std::string& line) {
    const std::string old = files_.ReadFile(logPath_).value_or("");
    files_.WriteFile(logPath_, old + line + "\n");
  }

  win32::Win32FileSystem& files_;
  std::string logPath_;
  int ticks_ = 0;

 public:
  ui::Frame fraBox{*this, "fraBox"};
  ui::Label lblStatus{*this, "lblStatus", &fraBox};
  ui::Button cmdGo{*this, "cmdGo"};
  ui::CheckBox chkOption{*this, "chkOption"};
  ui::TextBox txtName{*this, "txtName"};
  ui::ComboBox cboSpeed{*this, "cboSpeed"};
  ui::CheckList lstPackages{*this, "lstPackages"};
  ui::ListBox lstPlain{*this, "lstPlain"};
  ui::PictureButton cmdPicture{*this, "cmdPicture"};
  ui::Label lblTicks{*this, "lblTicks"};
  ui::Timer tmrTick{*this, "tmrTick", 200};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::Win32FileSystem files;
  win32::Win32System system;
  win32::Win32Ui ui(instance);
  FrmDemo demo(ui, files, system.ProgramFolder() + "\\toolkit_demo.log");
  demo.Show();
  return ui.Run();
}
