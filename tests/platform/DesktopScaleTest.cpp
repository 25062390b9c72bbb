// The desktop's scale: Xft.dpi read from a resource database's text, and the nearest scale the editor draws at.
#include <gtest/gtest.h>

#include "platform/DesktopScale.h"

namespace tarnwick::platform {
namespace {

TEST(DesktopScale, XftDpiPicksTheNearestScale) {
  EXPECT_EQ(xftDpiFrom("*customization:\t-color\nXft.dpi:\t192\nXft.antialias:\t1\n"), 192);
  EXPECT_EQ(xftDpiFrom("Xft.dpi: 144"), 144);
  EXPECT_EQ(xftDpiFrom("Xft.dpi:\n"), 0);
  EXPECT_EQ(xftDpiFrom("Xft.dpix:\t192\nXft.antialias:\t1\n"), 0);
  EXPECT_EQ(xftDpiFrom("Emacs.Xft.dpi:\t192\n"), 0);  // another program's entry
  EXPECT_EQ(xftDpiFrom(nullptr), 0);
  // 96 dpi is 1x, 144 is 1.5x, 192 and beyond 2x; a tie goes to the smaller scale.
  EXPECT_EQ(nearestScaleHalves(96 / 96.0), 2);
  EXPECT_EQ(nearestScaleHalves(120 / 96.0), 2);
  EXPECT_EQ(nearestScaleHalves(144 / 96.0), 3);
  EXPECT_EQ(nearestScaleHalves(168 / 96.0), 3);
  EXPECT_EQ(nearestScaleHalves(192 / 96.0), 4);
  EXPECT_EQ(nearestScaleHalves(3.0), 4);
  EXPECT_EQ(nearestScaleHalves(0.0), 2);
  EXPECT_EQ(nearestScaleHalves(-2.0), 2);
}

}  // namespace
}  // namespace tarnwick::platform
