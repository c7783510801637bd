// The two tip windows remember "do not show again" only when closed with OK.
#include <gtest/gtest.h>

#include <functional>

#include "dialogs/frmFuture.h"
#include "dialogs/frmPauseInfo.h"
#include "sim_test_support.h"

namespace {

struct Tip {
  const char* form;
  app::SettingKey setting;
  std::function<void(app::App&)> show;
};

const Tip kTips[] = {
    {"frmFuture", app::setting::kFirstTip,
     [](app::App& app) { dialogs::FrmFuture(app).ShowModal(nullptr); }},
    {"frmPauseInfo", app::setting::kPauseTip,
     [](app::App& app) { dialogs::FrmPauseInfo(app).ShowModal(nullptr); }},
};

}  // namespace

TEST(TipWindows, OkStoresTheCheckBoxTheTitleBarCloseStoresNothing) {
  for (const Tip& tip : kTips) {
    SCOPED_TRACE(tip.form);
    SimApp sim;
    // Shows the window; the user sets the box and closes it with OK or the
    // title-bar button. Returns whether the box was ticked when it opened.
    const auto answer = [&](bool tick, bool ok) {
      bool startedTicked = false;
      sim.machine.ui.modalHandlers[tip.form] = [&](ui::Form& form) {
        ui::Control& box = *form.FindControl("chkShowAgain");
        startedTicked = box.checked();
        box.SyncChecked(tick);
        if (ok) {
          form.FindControl("Command1")->Click();
          EXPECT_FALSE(form.IsOpen());
        } else {
          form.Close(ui::CloseReason::User);
        }
      };
      tip.show(sim.app);
      return startedTicked;
    };

    EXPECT_FALSE(answer(/*tick=*/true, /*ok=*/true));
    EXPECT_EQ(sim.app.settings.Get(tip.setting), "1");
    EXPECT_TRUE(answer(/*tick=*/false, /*ok=*/false));
    EXPECT_EQ(sim.app.settings.Get(tip.setting), "1");  // unchanged
    EXPECT_TRUE(answer(/*tick=*/false, /*ok=*/true));
    EXPECT_EQ(sim.app.settings.Get(tip.setting), "0");

    sim.app.settings.Save(tip.setting, "01");  // reads as 1, but only "1" ticks the box
    EXPECT_FALSE(answer(/*tick=*/false, /*ok=*/false));
  }
}
