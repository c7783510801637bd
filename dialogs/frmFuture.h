#pragma once
// The first-recording tip: which control-bar buttons end a recording and
// change a text. Shown modally by the package dialog before a new recording
// unless the user switched it off (setting View/FirstTip = "1").
#include "app/app.h"
#include "platform/ui.h"

namespace dialogs {

class FrmFuture : public ui::Form {
 public:
  explicit FrmFuture(app::App& app);

  ui::Frame Frame1{*this, "Frame1"};
  ui::Picture imgStop{*this, "imgStop", &Frame1};
  ui::Label lblStop{*this, "lblStop", &Frame1};
  ui::Picture imgPause{*this, "imgPause", &Frame1};
  ui::Label lblPause{*this, "lblPause", &Frame1};
  ui::CheckBox chkShowAgain{*this, "chkShowAgain"};
  ui::Button Command1{*this, "Command1"};

 private:
  app::App& app_;
};

}  // namespace dialogs
