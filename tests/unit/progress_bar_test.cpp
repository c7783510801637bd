// The drawn progress bar: what it paints, and when it paints nothing.
#include <gtest/gtest.h>

#include "sim_test_support.h"
#include "widgets/clsPBar.h"
#include "widgets/frmProgresBar.h"

namespace {

struct ProgressBarTest : ::testing::Test {
  SimApp s;
  widgets::FrmProgresBar window{s.app};
  ui::DrawnPicture& host = window.pctProgres;
  widgets::ClsPBar bar;

  void SetUp() override { window.Show(); }
  void HostWidth(int width) { host.SetBounds({0, 0, width, 20}); }
  // Shows `value` and returns whether anything was painted.
  bool Show(int value) {
    const int before = host.paintings();
    bar.Value = value;
    bar.ShowProgress(host);
    return host.paintings() != before;
  }
  // The reached box comes first; without one only the rest and the text.
  int Reached() const { return host.drawing().size() == 3 ? host.drawing()[0].rect.width : 0; }
  std::string Percent() const { return host.drawing().empty() ? "" : host.drawing().back().text; }
};

TEST_F(ProgressBarTest, PaintsTheReachedPartTheRestAndThePercentage) {
  HostWidth(200);
  ASSERT_TRUE(Show(25));
  const auto& ops = host.drawing();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].fill, ui::Rgb(128, 128, 128));
  EXPECT_EQ(ops[0].rect.width, 50);
  EXPECT_EQ(ops[0].rect.height, 20);
  EXPECT_EQ(ops[1].fill, ui::Rgb(130, 130, 180));
  EXPECT_EQ(ops[1].rect.x, 49);  // the outlines share a column
  EXPECT_EQ(ops[1].rect.x + ops[1].rect.width, 200);
  EXPECT_EQ(ops[2].kind, ui::DrawOp::Kind::Text);
  EXPECT_EQ(ops[2].color, ui::Rgb(255, 255, 0));
  EXPECT_EQ(Percent(), "25%");
}

TEST_F(ProgressBarTest, APassOverNScriptsEndsFullAt100Percent) {
  HostWidth(200);
  bar.Max = 3;
  EXPECT_TRUE(Show(1));
  EXPECT_EQ(Reached(), 67);
  EXPECT_EQ(Percent(), "33%");
  EXPECT_TRUE(Show(2));
  EXPECT_TRUE(Show(3));
  EXPECT_EQ(Reached(), 200);
  EXPECT_EQ(Percent(), "100%");
}

TEST_F(ProgressBarTest, NothingIsPaintedWhileTheReachedWidthStaysTheSame) {
  HostWidth(200);
  bar.Max = 1000;
  EXPECT_FALSE(Show(0));  // the first call at 0 reaches nothing new
  EXPECT_FALSE(Show(2));  // 0.4 pixel
  EXPECT_TRUE(Show(3));   // 0.6 pixel: 1
  EXPECT_EQ(Percent(), "0%");
  EXPECT_FALSE(Show(7));  // 1.4 pixels, a new percentage but the same width
  EXPECT_EQ(Percent(), "0%");
  EXPECT_TRUE(Show(0));  // back to nothing reached
  EXPECT_EQ(Reached(), 0);
}

TEST_F(ProgressBarTest, HalfPixelsGoToTheEvenNeighbour) {
  HostWidth(10);
  bar.Max = 4;
  Show(1);  // 2.5
  EXPECT_EQ(Reached(), 2);
  Show(3);  // 7.5
  EXPECT_EQ(Reached(), 8);
}

TEST_F(ProgressBarTest, OddRangesAndValuesNeverFailNorPaintPastTheHost) {
  HostWidth(200);
  bar.Max = 0;  // no range
  EXPECT_FALSE(Show(1));
  bar.Max = 4;
  bar.Min = 8;  // the length of the range counts, whichever end is higher
  EXPECT_TRUE(Show(2));
  EXPECT_EQ(Reached(), 100);
  EXPECT_TRUE(Show(9));
  EXPECT_EQ(Reached(), 200);
  EXPECT_EQ(Percent(), "100%");
  for (const ui::DrawOp& op : host.drawing()) {
    EXPECT_GE(op.rect.x, 0);
    EXPECT_LE(op.rect.x + op.rect.width, 200);
  }
  EXPECT_TRUE(Show(-5));
  EXPECT_EQ(Percent(), "0%");
}

TEST_F(ProgressBarTest, SizeAndColoursAreTakenAtTheFirstCall) {
  HostWidth(200);
  Show(50);
  bar.fColor = ui::Rgb(255, 0, 0);
  HostWidth(400);
  Show(100);
  EXPECT_EQ(Reached(), 200);
  EXPECT_EQ(host.drawing()[0].fill, ui::Rgb(128, 128, 128));
}

}  // namespace
