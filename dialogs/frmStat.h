#pragma once
// The statistics window: one line per played script and the total time.
#include "app/app.h"
#include "platform/ui.h"

namespace dialogs {

class FrmStat : public ui::Form {
 public:
  explicit FrmStat(app::App& app);

  // Fills List1 from the statistics list.
  void AddStatInfo();

  ui::ListBox List1{*this, "List1"};
  ui::Button Command1{*this, "Command1"};

 private:
  void OnClose();

  app::App& app_;
};

// Shows the statistics window modally over `owner` and returns when it closes.
void ShowStatistics(app::App& app, ui::Form* owner);

}  // namespace dialogs
