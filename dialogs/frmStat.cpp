#include "dialogs/frmStat.h"

namespace dialogs {
namespace {

// Wide enough for a full line: number, result, a 30-character name, the
// duration and both times in the dialog font.
constexpr int kWidth = 600, kHeight = 320;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 88, kButtonHeight = 25;

}  // namespace

FrmStat::FrmStat(app::App& app) : ui::Form(app.platform.ui, "frmStat"), app_(app) {
  SetCaption("Статистика");
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;
  List1.SetBounds({kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 3 * kMargin - kButtonHeight});
  List1.SetFont(0, false, /*monospace=*/true);  // the lines are laid out in columns
  Command1.SetText("Закрыть");
  Command1.SetBounds({kWidth - kMargin - kButtonWidth, kHeight - kMargin - kButtonHeight,
                      kButtonWidth, kButtonHeight});
  Command1.SetDefault(true);
  Command1.onClick = [this] { OnClose(); };
  onLoad = [this] { AddStatInfo(); };
}

void FrmStat::AddStatInfo() {
  List1.ClearItems();
  app_.statistics.AddStatInfo(List1);
}

void FrmStat::OnClose() {
  app_.statistics.ClearStatistics();
  Close();
}

void ShowStatistics(app::App& app, ui::Form* owner) {
  FrmStat window(app);
  window.ShowModal(owner);
}

}  // namespace dialogs
