#include "engine/recorder.h"

#include "app/app.h"
#include "app/settings.h"
#include "app/stored_text.h"
#include "dialogs/frmPauseInfo.h"
#include "engine/frmStels.h"
#include "platform/text.h"
#include "script/playback.h"
#include "script/save_script.h"

namespace engine {
namespace {

constexpr const char* kRecordingWord = "Запись";
constexpr const char* kPauseWord = "Пауза";
constexpr const char* kContinueWithChanges = "Продолжить запись с учётом внесённых изменений";
constexpr const char* kUncheckFilter = "Для внесения изменений уберите галочку `Фильтр`";
constexpr const char* kNotAText = "Последнее окно не распознано как текстовое";

}  // namespace

Recorder::Recorder(app::App& app, FrmStels& bar) : app_(app), bar_(bar), hook_(app) {}

bool Recorder::TargetIsEdit() const {
  return script::IsEditWindow(app_, app_.lastTargetWindow);
}

void Recorder::StartBlinking() {
  bar_.lblCaption.SetText(kRecordingWord);
  bar_.lblCaption.SetVisible(true);
  bar_.Timer1.SetEnabled(true);
}

void Recorder::Record() {
  StartBlinking();
  bar_.RecordingLayout();
  app_.script.NewScript(app_.pendingPackage.description);
  app_.script.block = {};
  app_.script.onBlockAppended = [this] { bar_.firstDo = true; };
  hook_.Install();
}

void Recorder::StartApp() {
  const app::PendingPackage& package = app_.pendingPackage;
  script::LaunchProgram(app_, app_.Expand(package.programPath), package.parameters);
  bar_.firstDo = false;
}

void Recorder::Pause() {
  bar_.imgPause.SetVisible(false);
  bar_.imgPlay.SetVisible(true);
  bar_.Timer1.SetEnabled(false);
  bar_.lblCaption.SetText(kPauseWord);
  bar_.lblCaption.SetVisible(true);
  if (bar_.firstDo) bar_.ShowTextPanel(true);
  hook_.Remove();

  // The field's own text is not a change: continuing without an edit records
  // nothing and only brings the recorded program back to the front.
  const std::string text = script::ReadWindowText(app_, app_.lastTargetWindow);
  bar_.Text1.SetText(text);
  app_.script.block.blockText = text;
  app_.script.block.blockTextChanged = false;
  if (TargetIsEdit()) return;
  if (!bar_.chkFilter.checked()) {
    bar_.chkFilter.SetChecked(true);
    OnFilterClick();
  }
  if (bar_.firstDo) bar_.lblAct.SetText(std::string(kUncheckFilter) + "\r\n" + kNotAText);
  bar_.lblStatus.SetText("Выбранное окно не распознано текстовым полем");
  if (app_.settings.GetNumber(app::setting::kPauseTip) != 1) {
    dialogs::FrmPauseInfo tip(app_);
    tip.ShowModal(&bar_);
  }
}

bool Recorder::RecordAfterPause() {
  script::CurrentBlock& block = app_.script.block;
  if (block.blockTextChanged) {
    const std::string typed = bar_.Text1.text();
    const bool filter = bar_.chkFilter.checked();
    if (!filter || TargetIsEdit()) {
      const std::string stored = !filter || bar_.chkReplace.checked() ? app_.Contract(typed) : typed;
      const std::string lost = app::CharsOutsideCodePage(app_.platform.system, stored);
      if (!lost.empty()) {
        app_.MessageBox(app::OutsideCodePageMessage("Текст", lost),
                        ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, &bar_);
        bar_.Text1.Focus();
        return false;
      }
      block.blockText = app_.Expand(typed);
      script::PutBlockText(app_, app_.lastTargetWindow);
      block.blockText = stored;
      app_.script.AppendBlock();
    }
    block.blockText.clear();
    block.blockTextChanged = false;
  } else {
    app_.platform.desktop.ForceForeground(app_.lastTargetWindow);
  }
  StartBlinking();
  bar_.ShowTextPanel(false);
  hook_.Install();
  return true;
}

void Recorder::Stop() {
  hook_.Remove();
  bar_.Timer1.SetEnabled(false);
  script::SaveRecording(app_, &bar_);
  bar_.ReturnToLibrary();
}

void Recorder::OnTextChanged() {
  script::CurrentBlock& block = app_.script.block;
  block.blockTextChanged = true;
  block.blockText = bar_.Text1.text();
  bar_.lblStatus.SetText("Внесены изменения");
}

void Recorder::OnFilterClick() {
  if (!bar_.chkFilter.checked()) {
    bar_.lblStatus.SetText("Для продолжения с изменённым текстом нажмите `Продолжить запись`");
  } else if (!TargetIsEdit()) {
    bar_.lblStatus.SetText(kNotAText);
  }
}

void Recorder::OnFilterHover() {
  if (!TargetIsEdit() && bar_.chkFilter.checked()) bar_.lblStatus.SetText(kNotAText);
}

void Recorder::OnPlayHover() {
  if (TargetIsEdit() || !bar_.chkFilter.checked()) {
    bar_.lblStatus.SetText(kContinueWithChanges);
  } else {
    bar_.lblStatus.SetText("Продолжить без внесения изменений");
  }
}

void Recorder::OnTextHover() {
  bar_.lblStatus.SetText(TargetIsEdit() || !bar_.chkFilter.checked() ? kContinueWithChanges
                                                                       : kUncheckFilter);
}

void Recorder::PasteText(const std::string& text) {
  bar_.Text1.SetText(text);
  OnTextChanged();
}

void Recorder::InsertFolderPath() {
  const auto folder =
      app_.platform.ui.BrowseForFolder(&bar_, "Выберите папку для обзора");
  if (!folder) return;
  const std::string& current = bar_.Text1.text();
  const size_t caret = static_cast<size_t>(app_.platform.ui.CaretPosition(bar_, bar_.Text1));
  const std::string before = text::FirstChars(current, caret);
  PasteText(before + *folder + current.substr(before.size()));
}

}  // namespace engine
