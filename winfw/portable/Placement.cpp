#include "winfw/portable/Placement.h"

namespace {
// One axis: centred on [aroundStart, aroundEnd), then within [boundsStart, boundsEnd).
int CentredStart(int size, int aroundStart, int aroundEnd, int boundsStart, int boundsEnd) {
  int start = aroundStart + (aroundEnd - aroundStart - size) / 2;
  if (start + size > boundsEnd) start = boundsEnd - size;
  if (start < boundsStart) start = boundsStart;
  return start;
}
}  // namespace

PlacePoint CentredOrigin(int width, int height, const PlaceRect& around, const PlaceRect& bounds) {
  return {CentredStart(width, around.left, around.right, bounds.left, bounds.right),
          CentredStart(height, around.top, around.bottom, bounds.top, bounds.bottom)};
}
