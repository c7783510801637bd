// The form toolkit as the simulated backend runs it: the same form code
// runs on the Win32 backend.
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"
#include "platform/ui.h"

namespace {

class TestForm : public ui::Form {
 public:
  explicit TestForm(ui::Backend& b) : ui::Form(b, "frmTest") {
    onLoad = [this] {
      ++loads;
      tmrFast.SetEnabled(true);
    };
    onQueryClose = [this](ui::CloseReason) { return allowClose; };
    onUnload = [this] { ++unloads; };
    tmrFast.onTick = [this] { ++fastTicks; };
    tmrSlow.onTick = [this] {
      ++slowTicks;
      tmrSlow.SetEnabled(false);
    };
    cmdOk.onClick = [this] { Close(); };
  }
  ui::Frame fraBox{*this, "fraBox"};
  ui::Label lblText{*this, "lblText", &fraBox};
  ui::Button cmdOk{*this, "cmdOk"};
  ui::CheckList lstItems{*this, "lstItems"};
  ui::Timer tmrFast{*this, "tmrFast", 100};
  ui::Timer tmrSlow{*this, "tmrSlow", 250};
  int loads = 0, unloads = 0, fastTicks = 0, slowTicks = 0;
  bool allowClose = true;
};

}  // namespace

TEST(Toolkit, FormLoadsOnceShowsHidesAndClosesUnlessRefused) {
  sim::SimMachine m;
  TestForm f(m.ui);
  f.Show();
  f.Hide();
  f.Show();
  EXPECT_EQ(f.loads, 1);
  EXPECT_TRUE(f.IsVisible());
  EXPECT_NE(f.handle(), 0u);
  f.allowClose = false;
  f.Close();
  EXPECT_TRUE(f.IsOpen());
  f.allowClose = true;
  f.cmdOk.Click();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(f.unloads, 1);
  EXPECT_EQ(f.handle(), 0u);
}

TEST(Toolkit, TimersFireInTimeOrderOnlyWhileEnabledAndTheFormIsOpen) {
  sim::SimMachine m;
  TestForm f(m.ui);
  f.tmrSlow.SetEnabled(true);  // before the window exists: armed when it opens
  f.Show();
  m.ui.AdvanceTime(1000);
  EXPECT_EQ(f.fastTicks, 10);
  EXPECT_EQ(f.slowTicks, 1);  // it switched itself off
  f.Close();
  m.ui.AdvanceTime(1000);
  EXPECT_EQ(f.fastTicks, 10);
}

TEST(Toolkit, ModalFormsRunTheirHandlerAndAreClosedAfterwards) {
  sim::SimMachine m;
  TestForm owner(m.ui);
  owner.Show();
  TestForm dialog(m.ui);
  bool seen = false;
  m.ui.modalHandlers["frmTest"] = [&](ui::Form& f) {
    seen = f.IsVisible();
    f.FindControl("lblText")->SetText("Привет");
  };
  dialog.ShowModal(&owner);
  EXPECT_TRUE(seen);
  EXPECT_FALSE(dialog.IsOpen());
  EXPECT_EQ(dialog.lblText.text(), "Привет");
  EXPECT_EQ(m.ui.modalShown, std::vector<std::string>{"frmTest"});
}

TEST(Toolkit, ListLinesKeepTheirCheckStateAndIgnoreBadIndexes) {
  sim::SimMachine m;
  TestForm f(m.ui);
  f.lstItems.AddItem("Офис");
  f.lstItems.AddItem("Архиватор");
  f.lstItems.SetItemChecked(1, true);
  f.lstItems.SetItemChecked(7, true);
  f.lstItems.SetSelectedIndex(5);
  EXPECT_EQ(f.lstItems.selectedIndex(), -1);
  int checkedEvents = -1;
  f.lstItems.onItemCheck = [&](int i) { checkedEvents = i; };
  f.lstItems.SyncItemChecked(0, true);
  EXPECT_EQ(checkedEvents, 0);
  f.lstItems.RemoveItem(1);
  ASSERT_EQ(f.lstItems.items().size(), 1u);
  EXPECT_TRUE(f.lstItems.items()[0].checked);
}

TEST(Toolkit, MessageBoxesAreAnsweredFromTheQueueOrByTheirFirstButton) {
  sim::SimMachine m;
  m.ui.messageAnswers.push_back(ui::mb::kIdNo);
  EXPECT_EQ(m.ui.MessageBox(nullptr, "Вопрос?", "Orvanta", ui::mb::kYesNo), ui::mb::kIdNo);
  EXPECT_EQ(m.ui.MessageBox(nullptr, "Ещё?", "Orvanta", ui::mb::kYesNo), ui::mb::kIdYes);
  EXPECT_EQ(m.ui.unansweredMessages, 1);
  ASSERT_EQ(m.ui.messages.size(), 2u);
  EXPECT_EQ(m.ui.messages[1].text, "Ещё?");
}

TEST(Toolkit, MenuItemsAreFoundByNameAtAnyDepth) {
  ui::MenuItem bar;
  ui::MenuItem& file = bar.Add("mnuFile", "&Файл");
  file.Add("mnuRunAll", "Установить всё", "Ctrl+R");
  file.Add("mnuSpeed", "Скорость").Add("mnuSpd0", "Медленно");
  ASSERT_NE(bar.Find("mnuSpd0"), nullptr);
  EXPECT_EQ(bar.Find("mnuSpd0")->caption, "Медленно");
  EXPECT_EQ(bar.Find("mnuMissing"), nullptr);
}
