#include <gtest/gtest.h>

#include "winfw/portable/Placement.h"

namespace {
void ExpectAt(const PlacePoint& p, int x, int y) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
}
}  // namespace

TEST(CentredOrigin, CentresOnTheRectAndStaysWithinTheBounds) {
  const PlaceRect work = {0, 0, 1280, 994};
  ExpectAt(CentredOrigin(380, 321, work, work), 450, 336);
  ExpectAt(CentredOrigin(200, 100, {300, 200, 700, 500}, work), 400, 300);  // on its owner
  // An owner at the work area's right and bottom edges: pushed back inside.
  ExpectAt(CentredOrigin(300, 200, {1100, 900, 1280, 994}, work), 980, 794);
  // An owner half off the left and top: the window stays on the work area.
  ExpectAt(CentredOrigin(300, 200, {-400, -300, 100, 100}, work), 0, 0);
  // Larger than the work area: its left and top edges at the work area's.
  ExpectAt(CentredOrigin(1400, 1100, work, {10, 20, 1290, 1014}), 10, 20);
}
