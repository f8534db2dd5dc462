#pragma once
// Dialog units to pixels, the way Windows lays out a dialog template, so the windows keep the
// proportions of their templates whatever font the desktop substitutes.

namespace endcap {

// The dialog font's average character width and character height, in pixels.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// The average width from the width of "A".."Z" followed by "a".."z": half of the width per
// pair of letters, rounded.
int AverageCharWidth(int widthOfAlphabets);

// Each of x, w by base.x / 4 and y, h by base.y / 8, rounded to the nearest pixel.
PixelRect MapDialogRect(int x, int y, int w, int h, DialogBaseUnits base);

}  // namespace endcap
