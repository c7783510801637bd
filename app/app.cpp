#include "app/app.h"

#include "engine/frmStels.h"
#include "engine/play/run_resume.h"
#include "library/frmMain.h"
#include "script/playback.h"

namespace app {

App::App(platform::Platform& p)
    : platform(p),
      settings(p.registry),
      script(p.system, [this](const std::string& text) { return Expand(text); }),
      statistics(p.system),
      mouseScaleX(script::MouseScaleFactor(p.system.ScreenWidth())),
      mouseScaleY(script::MouseScaleFactor(p.system.ScreenHeight())) {}

App::~App() = default;

std::string App::Expand(const std::string& text) const {
  return ExpandMacros(macros, platform.files, text);
}

std::string App::Contract(const std::string& text) const { return ContractMacros(macros, text); }

int App::MessageBox(const std::string& text, unsigned flags, const std::string& caption,
                    ui::Form* owner) {
  return platform.ui.MessageBox(owner, text, caption, flags);
}

library::FrmMain& App::MainWindow() {
  if (!mainWindow_) mainWindow_ = std::make_unique<library::FrmMain>(*this);
  return *mainWindow_;
}

engine::FrmStels& App::ControlBar() {
  if (!controlBarWindow_) controlBarWindow_ = std::make_unique<engine::FrmStels>(*this);
  return *controlBarWindow_;
}

}  // namespace app
