#include "platform/drawing.h"

namespace ui {

DrawOp DrawOp::Box(Rect r, uint32_t fill, uint32_t outline) {
  DrawOp op;
  op.kind = Kind::Box;
  op.rect = r;
  op.fill = fill;
  op.outline = outline;
  return op;
}

DrawOp DrawOp::CentredText(Rect r, std::string text, uint32_t color) {
  DrawOp op;
  op.kind = Kind::Text;
  op.rect = r;
  op.text = std::move(text);
  op.color = color;
  return op;
}

void DrawnPicture::SetDrawing(std::vector<DrawOp> ops) {
  drawing_ = std::move(ops);
  ++paintings_;
  form().ControlChanged(*this);
}

}  // namespace ui
