#pragma once
// The control bar: the small top-most strip that replaces the library window
// while a package is recorded or a queue of scripts is played. It owns the
// recorder and the player and shows what they do; during a recording pause a
// text panel opens below the strip.
#include <memory>

#include "app/app.h"
#include "engine/player.h"
#include "engine/recorder.h"
#include "platform/ui.h"
#include "script/control_bar_link.h"

namespace engine {

namespace bar_layout {
constexpr int kStripWidth = 457, kStripHeight = 43;
constexpr int kPanelTop = 48, kPanelHeight = 153;
constexpr int kTop = 13;  // 200 twips at 96 dots per inch
constexpr int kButtonSize = 27, kButtonTop = 8;
}  // namespace bar_layout


class FrmStels : public ui::Form, public script::ControlBarLink {
 public:
  explicit FrmStels(app::App& app);
  ~FrmStels() override;

  // Opens the bar: it records when the app's recording mode is on and plays
  // the play queue otherwise.
  void Open();

  bool firstDo = false;  // something was recorded since the recording started

  // Layouts: the strip alone, or the strip with the text panel below it.
  void PositionForm();
  void ShowTextPanel(bool show);
  void RecordingLayout();
  void PlaybackLayout();
  void KeepOnTop();
  // Shows the library window again with its list reloaded (after a recording
  // or a stopped run) and closes the bar; an unattended run has no library
  // window to show.
  void ReturnToLibrary();

  Recorder& recorder() { return *recorder_; }
  Player& player() { return *player_; }

  // ControlBarLink
  platform::WindowHandle BarWindow() const override { return handle(); }
  void StopStepTimer() override { tmrDo.SetEnabled(false); }
  void StartAdvanceTimer() override { player_->StartAdvance(); }
  void NextDo() override { player_->NextDo(); }
  void MoveAwayFrom(platform::Point screen) override;

  ui::Picture imgLogo{*this, "imgLogo"};
  ui::Label lblCaption{*this, "lblCaption"};
  ui::Label lblAct{*this, "lblAct"};
  ui::Label lblKolvoProg{*this, "lblKolvoProg"};
  ui::Label Line7{*this, "Line7"};
  ui::PictureButton imgPlay{*this, "imgPlay"};
  ui::PictureButton imgPause{*this, "imgPause"};
  ui::PictureButton imgStop{*this, "imgStop"};
  ui::PictureButton imgPlayNext{*this, "imgPlayNext"};
  ui::TextBox Text1{*this, "Text1"};
  ui::CheckBox chkFilter{*this, "chkFilter"};
  ui::CheckBox chkReplace{*this, "chkReplace"};
  ui::Button Command1{*this, "Command1"};
  ui::Button cmdBrowse{*this, "cmdBrowse"};
  ui::Button Command3{*this, "Command3"};
  ui::Label lblStatus{*this, "lblStatus"};
  ui::Timer Timer1{*this, "Timer1", 500};
  ui::Timer tmrDo{*this, "tmrDo", 500};
  ui::Timer tmrExit{*this, "tmrExit", 100};
  ui::Timer tmrReact{*this, "tmrReact", speed::kReactDelay};  // a window event's step

 private:
  void BuildControls();
  void WireHandlers();
  void OnLoad();
  void OnPauseClick();
  void OnPlayClick();
  void OnStopClick();
  void StartDrag(const ui::MouseInfo& mouse);
  bool OnQueryClose(ui::CloseReason reason);

  app::App& app_;
  std::unique_ptr<Recorder> recorder_;
  std::unique_ptr<Player> player_;
  bool stopping_ = false;  // the stop button's work runs
};

}  // namespace engine
