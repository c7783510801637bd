#pragma once
// The disc-image wizard: five steps that fill an empty folder with what a CD
// or a USB stick needs to install the library's packages on another machine
// (the program with its settings and help, the scripts, autorun.inf and, on
// request, the setup programs), and make that folder's scripts the library.
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "dialogs/wizard_plan.h"
#include "platform/ui.h"

namespace dialogs {

class ImageCopy;

class FrmWizard : public ui::Form {
 public:
  static constexpr int kSteps = 5;

  explicit FrmWizard(app::App& app);
  ~FrmWizard() override;

  void OnBrowseImage();    // Command4
  void OnBrowseScripts();  // Command5
  void OnNext();
  void OnPrev();
  void OnCancel();

  int currentStep() const { return currentStep_; }  // 0..4
  const std::string& operationLog() const { return operationLog_; }

  // The step panels, one over the other; only the current one is visible.
  ui::Frame frm1[kSteps]{{*this, "frm1(0)"},
                         {*this, "frm1(1)"},
                         {*this, "frm1(2)"},
                         {*this, "frm1(3)"},
                         {*this, "frm1(4)"}};
  // Step 1: the image folder.
  ui::Button Command4{*this, "Command4", &frm1[0]};
  ui::Label Label1{*this, "Label1", &frm1[0]};
  // Step 2: the scripts, the speed and the setup programs.
  ui::Button Command5{*this, "Command5", &frm1[1]};
  ui::Label Label2{*this, "Label2", &frm1[1]};
  ui::Label lblCountFile{*this, "lblCountFile", &frm1[1]};
  ui::Label lblDiagnoz{*this, "lblDiagnoz", &frm1[1]};
  ui::Frame frmSpeed{*this, "frmSpeed", &frm1[1]};
  ui::ComboBox cmbSpeed{*this, "cmbSpeed", &frmSpeed};
  ui::CheckBox chkSoft{*this, "chkSoft", &frm1[1]};
  // Step 3: the check before copying.
  ui::Label lblDest{*this, "lblDest", &frm1[2]};
  ui::Label lblsource{*this, "lblsource", &frm1[2]};
  ui::Label lblProga{*this, "lblProga", &frm1[2]};
  ui::Label lblSoft{*this, "lblSoft", &frm1[2]};
  ui::ListBox lstSoft{*this, "lstSoft", &frm1[2]};
  ui::Label lblSoftRule{*this, "lblSoftRule", &frm1[2]};
  ui::Label lblReady{*this, "lblReady", &frm1[2]};
  ui::Label lblReadyHint{*this, "lblReadyHint", &frm1[2]};
  // Step 4: the report.
  ui::TextBox txtLog{*this, "txtLog", &frm1[3]};
  // Step 5: what is left to do by hand.
  ui::Label lblManual{*this, "lblManual", &frm1[4]};
  ui::Picture imgUp{*this, "imgUp", &frm1[4]};
  ui::Picture imgDown{*this, "imgDown", &frm1[4]};
  ui::Label lblStep5{*this, "lblStep5", &frm1[4]};
  ui::Label lblExample{*this, "lblExample", &frm1[4]};
  ui::Label lblAdvice{*this, "lblAdvice", &frm1[4]};

  ui::Button cmdPrev{*this, "cmdPrev"};
  ui::Button cmdNext{*this, "cmdNext"};
  ui::Button cmdCancel{*this, "cmdCancel"};

 private:
  void BuildStep1();
  void BuildStep2();
  void BuildStep3();
  void BuildStep4();
  void BuildStep5();
  void BuildButtons();
  ui::Label& AddText(ui::Frame& panel, const std::string& text, ui::Rect bounds, bool bold = false);
  void OnLoad();
  void ShowStep(int step);
  void FocusStep();
  void ShowChosen(ui::Label& label, const std::string& text, bool chosen);
  bool IsImageScriptFolder(const std::string& folder) const;
  void LeaveScriptsStep();
  void ShowSetupPlan();
  void Copy();
  void ShowManualSteps(const ImageCopy& copy);

  app::App& app_;
  std::vector<std::unique_ptr<ui::Label>> texts_;
  int currentStep_ = 0;
  std::string imageFolder_, sourceFolder_, operationLog_;
  int speed_ = 0;
  SetupPlan setups_;
  bool setupsDone_ = false;  // every setup program is on the disc
};

}  // namespace dialogs
