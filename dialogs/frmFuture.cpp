#include "dialogs/frmFuture.h"

#include "res/resource_ids.h"

namespace dialogs {
namespace {

constexpr int kWidth = 410, kHeight = 146;
constexpr int kMargin = 8;
constexpr int kPicture = 27;  // the control bar's button pictures
constexpr int kButtonWidth = 80, kButtonHeight = 25;

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

  const int bottom = kHeight - kMargin - kButtonHeight;
  chkShowAgain.SetText("не &показывать больше");
  chkShowAgain.SetBounds({kMargin, bottom + 2, 200, 21});
  Command1.SetText("Ок");
  Command1.SetBounds({kWidth - kMargin - kButtonWidth, bottom, kButtonWidth, kButtonHeight});
  Command1.SetDefault(true);

  onLoad = [this] {
    imgStop.SetPicture(IDB_STOP);
    imgPause.SetPicture(IDB_PAUSE);
    chkShowAgain.SetChecked(app_.settings.Get(app::setting::kFirstTip) == "1");
  };
  // Only OK stores the choice; the title-bar button leaves it as it was.
  Command1.onClick = [this] {
    app_.settings.Save(app::setting::kFirstTip, chkShowAgain.checked() ? "1" : "0");
    Close();
  };
}

}  // namespace dialogs
