#pragma once
// Painting a picture that the program draws itself (ui::DrawnPicture).
#include "platform/drawing.h"
#include "platform/win32/windows_api.h"

namespace win32 {

// Answers WM_PAINT of the picture's window: its background, then each
// operation of its drawing in order, scaled from 96 DPI to `dpi`, in one
// blit so that a picture redrawn many times a second does not flicker.
void PaintDrawnPicture(const ui::DrawnPicture& picture, HWND hwnd, int dpi);

}  // namespace win32
