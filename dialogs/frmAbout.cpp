#include "dialogs/frmAbout.h"

#include "app/maker.h"
#include "app/version.h"

namespace dialogs {
namespace {

constexpr int kWidth = 420, kHeight = 250;
constexpr int kMargin = 16;
constexpr int kLogo = 48;
constexpr int kProgramIcon = 1;  // the icon resource of orvanta.exe
constexpr int kLineHeight = 18;

}  // namespace

FrmAbout::FrmAbout(app::App& app) : ui::Form(app.platform.ui, "frmAbout") {
  SetCaption("О программе...");
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;

  const int textLeft = kMargin + kLogo + 12, textWidth = kWidth - textLeft - kMargin;
  const int fullWidth = kWidth - 2 * kMargin;
  imgLogo.SetBounds({kMargin, kMargin, kLogo, kLogo});
  lblProduct.SetText(ORVANTA_PRODUCT);
  lblProduct.SetFont(20, true);
  lblProduct.SetBounds({textLeft, kMargin - 4, textWidth, 36});
  lblVersion.SetBounds({textLeft, kMargin + 34, textWidth, kLineHeight});

  lblPurpose.SetText(
      "Программа поможет Вам выполнить очередную рутину - установка ПО по заданному шаблону");
  lblPurpose.SetBounds({kMargin, 84, fullWidth, 2 * kLineHeight});
  lblWrite.SetText("Ваши предложения, замечания, пожелания присылайте по адрессу");
  lblWrite.SetBounds({kMargin, 128, fullWidth, kLineHeight});
  lblEmail.SetText(app::kMakerMail);
  lblEmail.SetBounds({kMargin, 128 + kLineHeight, fullWidth, kLineHeight});
  lblSite.SetText(app::kMakerSite);
  lblSite.SetBounds({kMargin, 128 + 2 * kLineHeight, fullWidth, kLineHeight});
  lblYear.SetText(std::string("© ") + app::kMakerYear + " " + app::kMakerName);
  lblYear.SetBounds({kMargin, kHeight - kMargin - 2 * kLineHeight, fullWidth, kLineHeight});
  lblAuthor.SetText(app::kMakerAuthor);
  lblAuthor.SetBounds({kMargin, kHeight - kMargin - kLineHeight, fullWidth, kLineHeight});

  for (ui::Control* c : std::initializer_list<ui::Control*>{
           &imgLogo, &lblProduct, &lblVersion, &lblPurpose, &lblWrite, &lblYear, &lblAuthor}) {
    c->onClick = [this] { Close(); };
  }
  onMouseDown = [this](const ui::MouseInfo& m) {
    if (m.button == ui::MouseButton::Left) Close();
  };
  onLoad = [this] {
    imgLogo.SetPicture(kProgramIcon);
    lblVersion.SetText(VersionLine());
  };
}

std::string FrmAbout::VersionLine() {
  return std::string("Версия ") + ORVANTA_VERSION_TEXT;
}

}  // namespace dialogs
