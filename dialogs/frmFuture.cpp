#include "dialogs/frmFuture.h"

#include "dialogs/tip_window.h"
#include "res/resource_ids.h"

namespace dialogs {
namespace {

constexpr int kWidth = 410, kHeight = 146;
constexpr int kMargin = 8;
constexpr int kPicture = 27;  // the control bar's button pictures

}  // namespace

FrmFuture::FrmFuture(app::App& app) : ui::Form(app.platform.ui, "frmFuture"), app_(app) {
  SetCaption("Orvanta");
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;

  const int frameWidth = kWidth - 2 * kMargin;
  Frame1.SetText("Примечание");
  Frame1.SetBounds({kMargin, kMargin, frameWidth, 92});
  // A one-line note is level with the middle of its picture; a wider font
  // may wrap it onto a second line.
  const int textLeft = 2 * kMargin + kPicture + 6, textWidth = frameWidth - textLeft - kMargin;
  imgStop.SetBounds({kMargin, 20, kPicture, kPicture});
  lblStop.SetText("Для окончания записи нажмите кнопку \"Стоп\".");
  lblStop.SetBounds({textLeft, 26, textWidth, 30});
  imgPause.SetBounds({kMargin, 53, kPicture, kPicture});
  lblPause.SetText("Для вставки, изменения текста жмите кнопку \"Пауза\"");
  lblPause.SetBounds({textLeft, 59, textWidth, 30});

  imgStop.SetPicture(IDB_STOP);
  imgPause.SetPicture(IDB_PAUSE);
  SetUpShowAgain(app_, *this, chkShowAgain, Command1, app::setting::kFirstTip, kWidth, kHeight);
}

}  // namespace dialogs
