// The About window closes on a click anywhere but on the two addresses.
#include <gtest/gtest.h>

#include "dialogs/frmAbout.h"
#include "sim_test_support.h"

TEST(AboutWindow, ClosesOnAClickAnywhereButTheAddresses) {
  const auto clickAndReport = [](const std::function<void(dialogs::FrmAbout&)>& click) {
    SimApp s;
    dialogs::FrmAbout about(s.app);
    bool openAfter = false;
    s.machine.ui.modalHandlers["frmAbout"] = [&](ui::Form&) {
      EXPECT_EQ(about.lblVersion.text(), "Версия 1.0.1");
      click(about);
      openAfter = about.IsOpen();
    };
    about.ShowModal(nullptr);
    return openAfter;
  };
  EXPECT_FALSE(clickAndReport([](dialogs::FrmAbout& a) { a.lblProduct.Click(); }));
  EXPECT_FALSE(clickAndReport([](dialogs::FrmAbout& a) { a.lblAuthor.Click(); }));
  EXPECT_FALSE(clickAndReport([](dialogs::FrmAbout& a) { a.imgLogo.Click(); }));
  EXPECT_FALSE(clickAndReport([](dialogs::FrmAbout& a) {
    a.onMouseDown({ui::MouseButton::Left, 200, 120});
  }));
  EXPECT_TRUE(clickAndReport([](dialogs::FrmAbout& a) { a.lblEmail.Click(); }));
  EXPECT_TRUE(clickAndReport([](dialogs::FrmAbout& a) { a.lblSite.Click(); }));
}
