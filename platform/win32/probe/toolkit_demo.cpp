// toolkit_demo.exe: one window with a control of every kind of the form
// toolkit, and a shaped window without a caption bar, run by the end-to-end
// tests to check that the Win32 backend shows what a form holds and routes
// the user's actions back to its handlers. A global mouse hook logs every
// press and release. Every handler appends a line to toolkit_demo.log beside
// the program; the program's exit code is 3.
#include "platform/win32/windows_api.h"

#include <memory>
#include <string>

#include "platform/ui.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_ui.h"
#include "res/resource_ids.h"

namespace {

class DemoLog {
 public:
  DemoLog(win32::Win32FileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  void operator()(const std::string& line) {
    const std::string old = files_.ReadFile(path_).value_or("");
    files_.WriteFile(path_, old + line + "\n");
  }

 private:
  win32::Win32FileSystem& files_;
  std::string path_;
};

std::string Numbers(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
  return out;
}

// A strip and a panel below it with a 10-pixel band between them that is not
// part of the window; the label moves the window when dragged.
class FrmShape : public ui::Form {
 public:
  FrmShape(ui::Backend& ui, DemoLog& log) : ui::Form(ui, "frmShape"), log_(log) {
    SetCaption("Фигурное окно");
    SetBounds({560, 60, 200, 90});
    toolWindow = true;
    SetRegion({{0, 0, 200, 40}, {0, 50, 200, 40}});
    lblDrag.SetText("Тянуть");
    lblDrag.SetBounds({10, 10, 120, 20});
    lblPanel.SetText("Панель");
    lblPanel.SetBounds({10, 60, 120, 20});
    lblDrag.onMouseDown = [this](const ui::MouseInfo& m) {
      log_("down lblDrag " + Numbers({int(m.button), m.x, m.y}));
      BeginDrag();
    };
    // Like the control bar: log-off and shut-down do not close it.
    onQueryClose = [this](ui::CloseReason reason) {
      log_("query close " + std::to_string(int(reason)));
      return reason != ui::CloseReason::SessionEnd;
    };
  }

  ui::Label lblDrag{*this, "lblDrag"};
  ui::Label lblPanel{*this, "lblPanel"};

 private:
  DemoLog& log_;
};

class FrmDemo : public ui::Form {
 public:
  FrmDemo(ui::Backend& ui, win32::Win32Desktop& desktop, DemoLog& log)
      : ui::Form(ui, "frmDemo"), desktop_(desktop), log_(log) {
    SetCaption("Проверка элементов");
    SetBounds({-1, -1, 420, 300});
    Layout();
    Wire();
  }

 private:
  void Log(const std::string& line) { log_(line); }

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
    cmdPicture.SetBounds({10, 184, 27, 27});
    cmdPicture.SetPicture(IDB_STOP);
    lblTicks.SetText("Тиков: 0");
    lblTicks.SetBounds({10, 220, 190, 20});
    lblTicks.SetColors(ui::Rgb(0, 0, 160), ui::kDefaultColor);
    ui::MenuItem& file = menu().Add("mnuFile", "&Файл");
    file.Add("mnuHello", "Привет", "F5").onClick = [this] {
      Log("menu mnuHello");
      backend().MessageBox(this, "Привет из меню", "Orvanta", ui::mb::kOk);
    };
    file.Add("mnuCapture", "Снимок экрана", "F6").onClick = [this] { LogCapture(); };
    file.Add("mnuClipboard", "Текст буфера", "F7").onClick = [this] {
      Log("clipboard " + desktop_.ClipboardText());
    };
    file.Add("mnuSep", "-");
    file.Add("mnuExit", "Выход").onClick = [this] { Close(); };
  }

  void Wire() {
    onLoad = [this] {
      tmrTick.SetEnabled(true);
      frmShape.Show();
      hook_ = desktop_.InstallMouseHook(
          [this](const platform::HookEvent& e) {
            if (e.action == platform::HookAction::Move) return;
            // What was under the point before the press reached it.
            const platform::WindowHandle under =
                e.window != 0 ? e.window : desktop_.WindowFromPoint(e.point);
            Log(std::string(e.action == platform::HookAction::Press ? "hook press "
                                                                     : "hook release ") +
                Numbers({e.button, e.point.x, e.point.y}) + " " + desktop_.WindowText(under));
          },
          nullptr);
      Log(hook_ ? "hook installed" : "hook refused");
    };
    onMouseDown = [this](const ui::MouseInfo& m) {
      Log("down form " + Numbers({int(m.button), m.x, m.y}));
    };
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
    onUnload = [this] {
      hook_.reset();
      frmShape.Close();
      backend().SetExitCode(3);
      Log("unload");
    };
  }

  // The screen's size and the colour at the centre of the picture button.
  void LogCapture() {
    const platform::ScreenImage image = desktop_.CaptureScreen();
    const platform::Point at = desktop_.ClientToScreen(
        handle(), {cmdPicture.bounds().x + cmdPicture.bounds().width / 2,
                   cmdPicture.bounds().y + cmdPicture.bounds().height / 2});
    std::string line = "capture " + Numbers({image.width, image.height});
    if (at.x >= 0 && at.y >= 0 && at.x < image.width && at.y < image.height) {
      const size_t i = (size_t(at.y) * image.width + at.x) * 3;
      line += " " + Numbers({image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]});
    }
    Log(line);
  }

  win32::Win32Desktop& desktop_;
  DemoLog& log_;
  std::unique_ptr<platform::MouseHook> hook_;
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
  FrmShape frmShape{backend(), log_};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::Win32FileSystem files;
  win32::Win32System system;
  win32::Win32Desktop desktop;
  win32::Win32Ui ui(instance);
  DemoLog log(files, system.ProgramFolder() + "\\toolkit_demo.log");
  FrmDemo demo(ui, desktop, log);
  demo.Show();
  return ui.Run();
}
