#include "platform/win32/win32_drawing.h"

#include "platform/win32/wide.h"

namespace win32 {
namespace {

RECT Scaled(const ui::Rect& r, int dpi) {
  return RECT{MulDiv(r.x, dpi, 96), MulDiv(r.y, dpi, 96), MulDiv(r.x + r.width, dpi, 96),
              MulDiv(r.y + r.height, dpi, 96)};
}

void DrawBox(HDC dc, const ui::DrawOp& op, int dpi) {
  const RECT r = Scaled(op.rect, dpi);
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(op.fill);
  HPEN pen = CreatePen(PS_SOLID, 1, op.outline);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void DrawCentredText(HDC dc, const ui::DrawOp& op, int dpi) {
  RECT r = Scaled(op.rect, dpi);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, op.color);
  DrawTextW(dc, Wide(op.text).c_str(), -1, &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

void PaintDrawnPicture(const ui::DrawnPicture& picture, HWND hwnd, int dpi) {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right, height = client.bottom;
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
  if (!dc || !bitmap) {  // out of GDI resources: paint straight onto the window
    if (dc) DeleteDC(dc);
    dc = target;
  }
  HGDIOBJ oldBitmap = dc != target ? SelectObject(dc, bitmap) : nullptr;
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));

  if (picture.backColor() == ui::kDefaultColor) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    HBRUSH back = CreateSolidBrush(picture.backColor());
    FillRect(dc, &client, back);
    DeleteObject(back);
  }
  for (const ui::DrawOp& op : picture.drawing()) {
    if (op.kind == ui::DrawOp::Kind::Box) {
      DrawBox(dc, op, dpi);
    } else {
      DrawCentredText(dc, op, dpi);
    }
  }

  SelectObject(dc, oldFont);
  if (dc != target) {
    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
  }
  if (bitmap) DeleteObject(bitmap);
  EndPaint(hwnd, &ps);
}

}  // namespace win32
