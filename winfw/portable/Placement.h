// Where a window goes when it is centred (no Windows header: tested natively).
#pragma once

struct PlaceRect {  // left, top, right, bottom
  int left, top, right, bottom;
};
struct PlacePoint {
  int x, y;
};

// The top-left corner that centres a window of this size on around, moved back inside
// bounds where the window would stick out; a window larger than bounds keeps its left
// or top edge at the edge of bounds.
PlacePoint CentredOrigin(int width, int height, const PlaceRect& around, const PlaceRect& bounds);
