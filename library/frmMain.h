#pragma once
// The library window: the program's main window.
#include "app/app.h"
#include "platform/ui.h"

namespace library {

class FrmMain : public ui::Form {
 public:
  explicit FrmMain(app::App& app);

  // "Orvanta (Build 1.0.1)" for version 1.0.1.
  static std::string BuildCaption();

 private:
  void OnLoad();

  app::App& app_;
};

}  // namespace library
