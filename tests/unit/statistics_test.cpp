#include "dialogs/statistics.h"

#include <gtest/gtest.h>

#include "dialogs/frmStat.h"
#include "platform/text.h"
#include "sim_test_support.h"

namespace {

using dialogs::stat_result::kCompleted;
using dialogs::stat_result::kInterrupted;
using dialogs::stat_result::kNotStarted;

class StatisticsTest : public ::testing::Test {
 protected:
  void SetClock(int hour, int minute, int second) {
    sim.machine.system.now.hour = hour;
    sim.machine.system.now.minute = minute;
    sim.machine.system.now.second = second;
  }
  void Play(const std::string& name, int seconds, int result) {
    stats().BeginStatEntry(name);
    sim.machine.system.AdvanceSeconds(seconds);
    stats().EndStatEntry(result);
  }
  dialogs::Statistics& stats() { return sim.app.statistics; }

  SimApp sim;
};

TEST_F(StatisticsTest, LinesShowNumberResultNameDurationAndTimes) {
  SetClock(14, 3, 27);
  Play("Alpha", 100, kCompleted);
  Play("Beta", 2, kNotStarted);
  Play("Gamma", 3600, kCompleted);

  const std::vector<std::string> lines = stats().StatLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "1   ОК  Alpha  0:01:40  14:03:27  14:05:07");
  EXPECT_EQ(lines[1], "2   NO  Beta   0:00:02  14:05:07  14:05:09");
  EXPECT_EQ(lines[2], "3   ОК  Gamma  1:00:00  14:05:09  15:05:09");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Общее время установки - 1:01:42");
}

TEST_F(StatisticsTest, TenthLineKeepsTheColumnsOfTheFirstNine) {
  for (int i = 1; i <= 10; ++i) Play("P" + std::to_string(i), 1, kInterrupted);
  const auto lines = stats().StatLines();
  EXPECT_EQ(lines[8].substr(0, 8), "9   MB  ");
  EXPECT_EQ(lines[9].substr(0, 8), "10  MB  ");
  EXPECT_EQ(lines[0].find("0:00:01"), lines[9].find("0:00:01"));  // names padded to W = 3
}

TEST_F(StatisticsTest, LongNamesAreCutAndWidthIsCappedAtThirty) {
  const std::string longName = "Программа установки с длинным!";  // 30 characters
  ASSERT_EQ(text::CharCount(longName + "Я"), 31u);
  Play(longName + "Я", 5, kCompleted);
  Play("Beta", 5, kCompleted);
  Play(longName, 5, kCompleted);

  const auto lines = stats().StatLines();
  EXPECT_EQ(lines[0],
            "1   ОК  " + text::FirstChars(longName, 27) + "...  0:00:05  14:03:27  14:03:32");
  const std::string padded = "2   ОК  Beta" + std::string(26, ' ') + "  0:00:05";
  EXPECT_EQ(lines[1].substr(0, padded.size()), padded);
  EXPECT_EQ(lines[2], "3   ОК  " + longName + "  0:00:05  14:03:37  14:03:42");
}

TEST_F(StatisticsTest, DurationsAndTotals) {
  EXPECT_EQ(dialogs::FormatDuration(3725), "1:02:05");
  EXPECT_EQ(dialogs::FormatDuration(0), "0:00:00");
  EXPECT_EQ(dialogs::FormatDuration(86399), "23:59:59");
  EXPECT_EQ(dialogs::FormatTimeOfDay(9 * 3600 + 5), "09:00:05");
  EXPECT_EQ(stats().TotalDuration(), "");

  Play("a", 3600, kCompleted);
  Play("b", 3900, kCompleted);
  EXPECT_EQ(stats().TotalDuration(), "2:05:00");

  // 24 and then 26 hours in all: the hour count wraps at a day.
  Play("c", 11 * 3600, kCompleted);
  Play("d", 13 * 3600 - 7500, kCompleted);
  EXPECT_EQ(stats().TotalDuration(), "0:00:00");
  Play("e", 2 * 3600, kCompleted);
  EXPECT_EQ(stats().TotalDuration(), "2:00:00");
}

TEST_F(StatisticsTest, InstallationAcrossMidnightIsNeverNegative) {
  SetClock(23, 59, 30);
  Play("Night", 75, kCompleted);
  const dialogs::StatEntry& entry = stats().entries().at(0);
  EXPECT_EQ(entry.duration, "0:01:15");
  EXPECT_EQ(entry.Seconds(), 75);
  EXPECT_EQ(stats().TotalDuration(), "0:01:15");
  EXPECT_EQ(stats().StatLines()[0], "1   ОК  Night  0:01:15  23:59:30  00:00:45");

  // The clock set while a package installs (a time server, summer time, the
  // user) leaves its duration as long as it was.
  stats().BeginStatEntry("Summer");
  SetClock(3, 0, 0);
  sim.machine.system.AdvanceSeconds(40);
  stats().EndStatEntry(kCompleted);
  EXPECT_EQ(stats().entries().at(1).duration, "0:00:40");
  EXPECT_EQ(stats().TotalDuration(), "0:01:55");
}

TEST_F(StatisticsTest, EndingTwiceOverwritesAndEndingNothingChangesNothing) {
  stats().EndStatEntry(kCompleted);
  EXPECT_TRUE(stats().entries().empty());
  EXPECT_TRUE(stats().StatLines().empty());

  stats().BeginStatEntry("Pkg");
  EXPECT_EQ(stats().entries()[0].duration, "0:00:00");  // an entry never closed
  sim.machine.system.AdvanceSeconds(10);
  stats().EndStatEntry(kInterrupted);
  sim.machine.system.AdvanceSeconds(20);
  stats().EndStatEntry(kCompleted);
  EXPECT_EQ(stats().entries()[0].result, kCompleted);
  EXPECT_EQ(stats().entries()[0].duration, "0:00:30");

  stats().ClearStatistics();
  EXPECT_TRUE(stats().entries().empty());
}

TEST_F(StatisticsTest, WindowListsTheEntriesAndItsButtonClearsThem) {
  Play("Alpha", 100, kCompleted);
  Play("Beta", 3, kNotStarted);
  std::vector<std::string> shown;
  std::string caption, button;
  sim.machine.ui.modalHandlers["frmStat"] = [&](ui::Form& form) {
    auto& window = static_cast<dialogs::FrmStat&>(form);
    caption = window.caption();
    button = window.Command1.text();
    for (const ui::ListItem& item : window.List1.items()) shown.push_back(item.text);
    window.Command1.Click();
    EXPECT_FALSE(window.IsOpen());
  };
  dialogs::ShowStatistics(sim.app, nullptr);

  EXPECT_EQ(caption, "Статистика");
  EXPECT_EQ(button, "Закрыть");
  EXPECT_EQ(shown, std::vector<std::string>({"1   ОК  Alpha  0:01:40  14:03:27  14:05:07",
                                             "2   NO  Beta   0:00:03  14:05:07  14:05:10", "",
                                             "Общее время установки - 0:01:43"}));
  EXPECT_TRUE(stats().entries().empty());
}

TEST_F(StatisticsTest, WindowClosedWithoutTheButtonKeepsTheListAndEmptyListShowsNothing) {
  std::vector<size_t> itemCounts;
  sim.machine.ui.modalHandlers["frmStat"] = [&](ui::Form& form) {
    itemCounts.push_back(static_cast<dialogs::FrmStat&>(form).List1.items().size());
    form.Close();
  };
  dialogs::ShowStatistics(sim.app, nullptr);
  Play("Alpha", 1, kCompleted);
  dialogs::ShowStatistics(sim.app, nullptr);
  EXPECT_EQ(itemCounts, std::vector<size_t>({0, 3}));
  EXPECT_EQ(stats().entries().size(), 1u);
}

}  // namespace
