#pragma once
// The package dialog: names a new package and ties it to its setup program
// before the recording starts, or edits an existing package's name,
// program, description and parameters.
#include <string>

#include "app/app.h"
#include "platform/ui.h"

namespace library {
class FrmMain;
}

namespace dialogs {

class FrmNew : public ui::Form {
 public:
  explicit FrmNew(app::App& app);

  void GetProperty();
  // False, after a message, when the script cannot take the new values.
  bool SetProperty();
  void OnBrowse();
  void OnOk();
  void OnCancel();

  // In the order of the keyboard focus.
  ui::Label lblName{*this, "lblName"};
  ui::TextBox txtNameExe{*this, "txtNameExe"};
  ui::Label lblAdress{*this, "lblAdress"};
  ui::TextBox txtAdressExe{*this, "txtAdressExe"};
  ui::Button cmdBrowse{*this, "cmdBrowse"};
  ui::Button cmdOk{*this, "cmdOk"};
  ui::Button cmdCancel{*this, "cmdCancel"};
  ui::Label lblDescription{*this, "lblDescription"};
  ui::TextBox txtDescription{*this, "txtDescription"};
  ui::Label lblComandLine{*this, "lblComandLine"};
  ui::TextBox txtComandLine{*this, "txtComandLine"};

 private:
  void BuildControls();
  void OnLoad();
  bool NameIsValid();
  bool TextsFitCodePage();
  bool PropertiesAreValid();
  bool ConfirmNewName();
  bool NameOfOtherPackage() const;
  bool NameOfOtherFile() const;
  void StartRecording();
  std::string ScriptPathFor(const std::string& name) const;

  app::App& app_;
  library::FrmMain& main_;
  std::string loadedName_;
};

}  // namespace dialogs
