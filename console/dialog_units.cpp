#include "console/dialog_units.h"

namespace endcap {

namespace {

// a * b / c rounded half away from zero, as MulDiv does for the dialog manager.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

int AverageCharWidth(int widthOfAlphabets) { return (widthOfAlphabets / 26 + 1) / 2; }

PixelRect MapDialogRect(int x, int y, int w, int h, DialogBaseUnits base) {
  return {MulDiv(x, base.x, 4), MulDiv(y, base.y, 8), MulDiv(w, base.x, 4), MulDiv(h, base.y, 8)};
}

}  // namespace endcap
