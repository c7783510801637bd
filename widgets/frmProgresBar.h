#pragma once
// The small window that shows a drawn progress bar while the library window
// reads every script of the library.
#include "app/app.h"
#include "platform/drawing.h"
#include "platform/ui.h"

namespace widgets {

class FrmProgresBar : public ui::Form {
 public:
  explicit FrmProgresBar(app::App& app);

  ui::Frame Shape1{*this, "Shape1"};  // frames the rest; the window takes its size
  ui::Label Label1{*this, "Label1", &Shape1};
  ui::DrawnPicture pctProgres{*this, "pctProgres", &Shape1};
};

}  // namespace widgets
