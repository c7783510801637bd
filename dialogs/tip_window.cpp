#include "dialogs/tip_window.h"

namespace dialogs {

void SetUpShowAgain(app::App& app, ui::Form& tip, ui::CheckBox& box, ui::Button& ok,
                    const app::SettingKey& setting, int width, int height) {
  constexpr int kMargin = 8, kButtonWidth = 80, kButtonHeight = 25;
  const int bottom = height - kMargin - kButtonHeight;
  box.SetText("не &показывать больше");
  box.SetBounds({kMargin, bottom + 2, 200, 21});
  ok.SetText("Ок");
  ok.SetBounds({width - kMargin - kButtonWidth, bottom, kButtonWidth, kButtonHeight});
  ok.SetDefault(true);
  tip.onLoad = [&app, &box, setting] { box.SetChecked(app.settings.Get(setting) == "1"); };
  ok.onClick = [&app, &tip, &box, setting] {
    app.settings.Save(setting, box.checked() ? "1" : "0");
    tip.Close();
  };
}

}  // namespace dialogs
