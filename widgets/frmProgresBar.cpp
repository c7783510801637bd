#include "widgets/frmProgresBar.h"

namespace widgets {
namespace {

constexpr int kWidth = 280, kHeight = 74;
constexpr int kMargin = 12;

}  // namespace

FrmProgresBar::FrmProgresBar(app::App& app) : ui::Form(app.platform.ui, "frmProgresBar") {
  SetCaption("Orvanta");
  toolWindow = true;  // no caption bar: the frame is its border
  minimizeBox = false;
  Shape1.SetBounds({0, 0, kWidth, kHeight});
  Label1.SetText("Чтение информации");
  Label1.SetBounds({kMargin, kMargin, kWidth - 2 * kMargin, 18});
  pctProgres.SetBounds({kMargin, 36, kWidth - 2 * kMargin, 24});
  onLoad = [this] { SetBounds({-1, -1, Shape1.bounds().width, Shape1.bounds().height}); };
}

}  // namespace widgets
