#include "library/frmMain.h"

#include "app/version.h"

namespace library {

FrmMain::FrmMain(app::App& app) : ui::Form(app.platform.ui, "frmMain"), app_(app) {
  SetBounds({-1, -1, 480, 420});
  onLoad = [this] { OnLoad(); };
}

std::string FrmMain::BuildCaption() {
  return "Orvanta (Build " + std::to_string(ORVANTA_VERSION_MAJOR) + "." +
         std::to_string(ORVANTA_VERSION_MINOR) + "." + std::to_string(ORVANTA_VERSION_REVISION) +
         ")";
}

void FrmMain::OnLoad() { SetCaption(BuildCaption()); }

}  // namespace library
