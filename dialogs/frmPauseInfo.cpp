#include "dialogs/frmPauseInfo.h"

#include "dialogs/tip_window.h"

namespace dialogs {
namespace {

constexpr int kWidth = 430, kHeight = 184;
constexpr int kMargin = 8;

}  // namespace

FrmPauseInfo::FrmPauseInfo(app::App& app) : ui::Form(app.platform.ui, "frmPauseInfo"), app_(app) {
  SetCaption("Orvanta - пауза");
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;

  const int frameWidth = kWidth - 2 * kMargin, textWidth = frameWidth - 2 * kMargin;
  Frame1.SetText("Общая информация");
  Frame1.SetBounds({kMargin, kMargin, frameWidth, 128});
  Label1.SetText("Если Вы хочете, изменить текст в текстовом поле, необходимо:");
  Label1.SetBounds({kMargin, 20, textWidth, 18});
  Label2.SetText("- произвести щелчок мышью в требуемом окне");
  Label2.SetBounds({kMargin, 40, textWidth, 18});
  Label3.SetText("- далее нажать кнопку \"Паузу\"");
  Label3.SetBounds({kMargin, 60, textWidth, 18});
  Label4.SetText(
      "- если в строке состояния появиться надпись \"Это поле не является текстовым\" - но вы "
      "видите что это не так, просто уберите галочку \"Фильтр\"");
  Label4.SetBounds({kMargin, 80, textWidth, 42});

  SetUpShowAgain(app_, *this, chkShowAgain, Command1, app::setting::kPauseTip, kWidth, kHeight);
}

}  // namespace dialogs
