#include "widgets/clsPBar.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace widgets {

void ClsPBar::ShowProgress(ui::DrawnPicture& host) {
  if (!initialised_) {
    width_ = std::max(host.bounds().width, 0);
    height_ = std::max(host.bounds().height, 0);
    reachedColor_ = fColor;
    restColor_ = bColor;
    textColor_ = tColor;
    initialised_ = true;
  }
  const double range = std::abs(double(Max) - double(Min));
  if (range == 0) return;
  // The fraction is of the range's length, Value not reduced by Min (the one
  // caller counts from 0); a Value outside the range fills or empties the bar
  // but never paints past the host.
  const double fraction = std::clamp(Value / range, 0.0, 1.0);
  const int reached = static_cast<int>(std::nearbyint(width_ * fraction));  // halves to even
  if (reached == lastReached_) return;
  const std::string percent = std::to_string(std::lround(fraction * 100)) + "%";
  std::vector<ui::DrawOp> ops;
  // The two boxes share one pixel column, so that their outlines meet.
  if (reached > 0) ops.push_back(ui::DrawOp::Box({0, 0, reached, height_}, reachedColor_));
  const int restLeft = std::max(reached - 1, 0);
  ops.push_back(ui::DrawOp::Box({restLeft, 0, width_ - restLeft, height_}, restColor_));
  ops.push_back(ui::DrawOp::CentredText({0, 0, width_, height_}, percent, textColor_));
  host.SetDrawing(std::move(ops));
  lastReached_ = reached;
  // The caller is a long loop: the window stays responsive meanwhile.
  host.form().backend().ProcessPendingEvents();
}

}  // namespace widgets
