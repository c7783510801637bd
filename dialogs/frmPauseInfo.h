#pragma once
// The pause tip: how to change the text of a text field while a recording
// is paused. Shown modally by the control bar when the window clicked last
// is not a text field, unless the user switched it off (View/PauseTip = "1").
#include "app/app.h"
#include "platform/ui.h"

namespace dialogs {

class FrmPauseInfo : public ui::Form {
 public:
  explicit FrmPauseInfo(app::App& app);

  ui::Frame Frame1{*this, "Frame1"};
  ui::Label Label1{*this, "Label1", &Frame1};
  ui::Label Label2{*this, "Label2", &Frame1};
  ui::Label Label3{*this, "Label3", &Frame1};
  ui::Label Label4{*this, "Label4", &Frame1};
  ui::CheckBox chkShowAgain{*this, "chkShowAgain"};
  ui::Button Command1{*this, "Command1"};

 private:
  app::App& app_;
};

}  // namespace dialogs
