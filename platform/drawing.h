#pragma once
// Pictures that the program draws itself. A DrawnPicture keeps the list of
// what is drawn on it, in order, over its background; the backend paints the
// list whenever the window needs painting (so the drawing survives being
// covered and uncovered) and at once when the list changes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace ui {

struct DrawOp {
  enum class Kind { Box, Text };
  Kind kind = Kind::Box;
  // Client pixels of the picture. A box's outline is its outermost pixels,
  // as GDI's Rectangle draws it; text is centred in the rectangle on one line.
  Rect rect;
  uint32_t fill = 0;     // box: the inside
  uint32_t outline = 0;  // box: the one-pixel border
  uint32_t color = 0;    // text: the letters, on a transparent background
  std::string text;

  static DrawOp Box(Rect r, uint32_t fill, uint32_t outline = Rgb(0, 0, 0));
  static DrawOp CentredText(Rect r, std::string text, uint32_t color);
};

class DrawnPicture : public Picture {
 public:
  using Picture::Picture;
  const std::vector<DrawOp>& drawing() const { return drawing_; }
  // Replaces the whole drawing; every call counts as a painting.
  void SetDrawing(std::vector<DrawOp> ops);
  // How many drawings it has been given.
  int paintings() const { return paintings_; }

 private:
  std::vector<DrawOp> drawing_;
  int paintings_ = 0;
};

}  // namespace ui
