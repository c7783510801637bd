#pragma once
// A drawn progress bar: the reached part, the rest, and the percentage in the
// middle, painted on a picture. One bar serves one pass of a long loop: the
// caller sets Min, Max and Value and calls ShowProgress after each step.
#include <cstdint>

#include "platform/drawing.h"

namespace widgets {

class ClsPBar {
 public:
  int Min = 0;
  int Max = 100;
  int Value = 0;
  uint32_t bColor = ui::Rgb(130, 130, 180);  // the part not yet reached
  uint32_t fColor = ui::Rgb(128, 128, 128);  // the part reached
  uint32_t tColor = ui::Rgb(255, 255, 0);    // the percentage

  // Paints Value on the host. The host's size and the colours are taken at
  // the first call. Nothing is painted while the reached width in pixels
  // stays what it was (so not at Value 0 first), nor without a range.
  void ShowProgress(ui::DrawnPicture& host);

 private:
  bool initialised_ = false;
  int width_ = 0, height_ = 0;
  uint32_t reachedColor_ = 0, restColor_ = 0, textColor_ = 0;
  int lastReached_ = 0;
};

}  // namespace widgets
