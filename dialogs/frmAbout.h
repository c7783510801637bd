#pragma once
// The About window: product, version, what the program is for and how to
// reach its maker. Shown modally from the library window; a click anywhere
// closes it, except on the e-mail and web addresses.
#include "app/app.h"
#include "platform/ui.h"

namespace dialogs {

class FrmAbout : public ui::Form {
 public:
  explicit FrmAbout(app::App& app);

  // "Версия 1.0.1" for version 1.0.1.
  static std::string VersionLine();

  ui::Picture imgLogo{*this, "imgLogo"};
  ui::Label lblProduct{*this, "lblProduct"};
  ui::Label lblVersion{*this, "lblVersion"};
  ui::Label lblPurpose{*this, "lblPurpose"};
  ui::Label lblWrite{*this, "lblWrite"};
  ui::Label lblEmail{*this, "lblEmail"};
  ui::Label lblSite{*this, "lblSite"};
  ui::Label lblYear{*this, "lblYear"};
  ui::Label lblAuthor{*this, "lblAuthor"};
};

}  // namespace dialogs
