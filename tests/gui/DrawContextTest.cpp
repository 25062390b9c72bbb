// Pixels of the drawing primitives: lines and widths, stroked and filled rectangles, clipping, offsets,
// alpha blending, bitmap blits and offscreen copies.
#include <gtest/gtest.h>

#include <climits>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

uint32_t at(const CDrawContext& ctx, int32_t x, int32_t y) { return ctx.getPixels()[y * ctx.getStride() + x]; }

int count(const CDrawContext& ctx, uint32_t argb) {
  int n = 0;
  for (int32_t y = 0; y < ctx.getHeight(); ++y)
    for (int32_t x = 0; x < ctx.getWidth(); ++x) n += at(ctx, x, y) == argb;
  return n;
}

// The set pixels as rows of '#' and '.', for readable failures.
std::string picture(const CDrawContext& ctx, uint32_t argb) {
  std::string s;
  for (int32_t y = 0; y < ctx.getHeight(); ++y) {
    for (int32_t x = 0; x < ctx.getWidth(); ++x) s += at(ctx, x, y) == argb ? '#' : '.';
    s += '\n';
  }
  return s;
}

TEST(DrawContextLines, IncludeBothEndsAndGrowDownOrRightWithWidth) {
  COffscreenContext ctx(nullptr, 12, 12, kWhiteCColor);
  ctx.setFrameColor(kRedCColor);
  ctx.moveTo(CPoint(2, 5));
  ctx.lineTo(CPoint(8, 5));
  EXPECT_EQ(count(ctx, kRed), 7) << picture(ctx, kRed);
  EXPECT_EQ(at(ctx, 2, 5), kRed);
  EXPECT_EQ(at(ctx, 8, 5), kRed);
  EXPECT_EQ(at(ctx, 9, 5), kWhite);
  CPoint pen;
  ctx.getLoc(pen);
  EXPECT_EQ(pen, CPoint(8, 5));

  COffscreenContext wide(nullptr, 12, 12, kWhiteCColor);
  wide.setFrameColor(kRedCColor);
  wide.setLineWidth(2);
  wide.drawLine(CPoint(2, 5), CPoint(8, 5));
  EXPECT_EQ(count(wide, kRed), 14) << picture(wide, kRed);
  EXPECT_EQ(at(wide, 2, 6), kRed);
  wide.setLineWidth(3);
  wide.setFrameColor(kBlueCColor);
  wide.drawLine(CPoint(5, 1), CPoint(5, 3));  // vertical: columns 4..6
  EXPECT_EQ(count(wide, kBlue), 9) << picture(wide, kBlue);
  EXPECT_EQ(at(wide, 4, 1), kBlue);
  EXPECT_EQ(at(wide, 6, 3), kBlue);
}

TEST(DrawContextLines, SlopedLineHasOnePixelPerColumnAndIgnoresDirection) {
  COffscreenContext a(nullptr, 10, 6, kWhiteCColor), b(nullptr, 10, 6, kWhiteCColor);
  a.setFrameColor(kRedCColor);
  b.setFrameColor(kRedCColor);
  a.drawLine(CPoint(0, 0), CPoint(7, 3));
  b.drawLine(CPoint(7, 3), CPoint(0, 0));
  EXPECT_EQ(picture(a, kRed), picture(b, kRed));
  for (int32_t x = 0; x <= 7; ++x) {
    int inColumn = 0;
    for (int32_t y = 0; y < 6; ++y) inColumn += at(a, x, y) == kRed;
    EXPECT_EQ(inColumn, 1) << "column " << x << "\n" << picture(a, kRed);
  }
  EXPECT_EQ(at(a, 0, 0), kRed);
  EXPECT_EQ(at(a, 7, 3), kRed);
  // A zero-length line is one pixel.
  COffscreenContext dot(nullptr, 4, 4, kWhiteCColor);
  dot.setFrameColor(kRedCColor);
  dot.drawLine(CPoint(1, 2), CPoint(1, 2));
  EXPECT_EQ(count(dot, kRed), 1);
}

TEST(DrawContextRects, StrokeRunsThroughCornersAndFillCoversTheInside) {
  COffscreenContext ctx(nullptr, 10, 10, kWhiteCColor);
  ctx.setFrameColor(kRedCColor);
  ctx.drawRect(CRect(2, 2, 6, 5));
  EXPECT_EQ(count(ctx, kRed), 14) << picture(ctx, kRed);  // 5 × 4 outline
  EXPECT_EQ(at(ctx, 6, 5), kRed);
  EXPECT_EQ(at(ctx, 3, 3), kWhite);

  ctx.setFillColor(kBlueCColor);
  ctx.fillRect(CRect(2, 2, 6, 5));
  EXPECT_EQ(count(ctx, kBlue), 6) << picture(ctx, kBlue);  // x 3..5, y 3..4
  EXPECT_EQ(at(ctx, 3, 3), kBlue);
  EXPECT_EQ(at(ctx, 5, 4), kBlue);
  EXPECT_EQ(count(ctx, kRed), 14);

  // Filling (r.left - 1, r.top - 1, r.right, r.bottom) covers exactly the pixels of r.
  COffscreenContext exact(nullptr, 10, 10, kWhiteCColor);
  exact.setFillColor(kBlueCColor);
  const CRect r(3, 2, 7, 6);
  exact.fillRect(CRect(r.left - 1, r.top - 1, r.right, r.bottom));
  EXPECT_EQ(count(exact, kBlue), r.width() * r.height());
  EXPECT_EQ(at(exact, 3, 2), kBlue);
  EXPECT_EQ(at(exact, 7, 2), kWhite);
}

TEST(DrawContextRects, WideStrokeHasNoGapsAtCornersAndFillMeetsStrokeWithoutOverlap) {
  COffscreenContext ctx(nullptr, 12, 12, kWhiteCColor);
  ctx.setFrameColor(kRedCColor);
  ctx.setLineWidth(2);
  ctx.drawRect(CRect(2, 2, 8, 8));
  // Outline of x 2..9, y 2..9 two pixels wide.
  EXPECT_EQ(count(ctx, kRed), 8 * 8 - 4 * 4) << picture(ctx, kRed);
  EXPECT_EQ(at(ctx, 9, 9), kRed);
  EXPECT_EQ(at(ctx, 4, 4), kWhite);

  COffscreenContext half(nullptr, 12, 12, kWhiteCColor);
  half.setFrameColor(MakeCColor(0, 0, 0, 128));
  half.setFillColor(MakeCColor(0, 0, 0, 128));
  half.drawRect(CRect(2, 2, 9, 9), kDrawFilledAndStroked);
  const uint32_t once = at(half, 5, 5);
  EXPECT_NE(once, kWhite);
  for (int32_t y = 2; y <= 9; ++y)
    for (int32_t x = 2; x <= 9; ++x) EXPECT_EQ(at(half, x, y), once) << x << "," << y;
  EXPECT_EQ(at(half, 1, 5), kWhite);
  EXPECT_EQ(at(half, 10, 5), kWhite);
}

TEST(DrawContextClip, EverythingIsCutToTheBufferAndTheClipRect) {
  COffscreenContext ctx(nullptr, 8, 8, kWhiteCColor);
  ctx.setFrameColor(kRedCColor);
  ctx.drawLine(CPoint(-10, -10), CPoint(20, 20));
  EXPECT_EQ(count(ctx, kRed), 8) << picture(ctx, kRed);
  ctx.setFillColor(kBlueCColor);
  ctx.fillRect(CRect(-100, -100, 100, 100));
  EXPECT_EQ(count(ctx, kBlue), 64);
  // Far-away coordinates neither overflow nor take long.
  ctx.setLineWidth(5);
  ctx.drawLine(CPoint(INT_MIN / 2, INT_MIN / 2), CPoint(INT_MAX / 2, INT_MAX / 2));
  ctx.drawRect(CRect(INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2));
  ctx.fillRect(CRect(INT_MIN / 2, 0, INT_MAX / 2, 1));

  COffscreenContext clipped(nullptr, 8, 8, kWhiteCColor);
  clipped.setClipRect(CRect(2, 2, 5, 4));
  clipped.setFillColor(kBlueCColor);
  clipped.fillRect(CRect(-1, -1, 8, 8));
  EXPECT_EQ(count(clipped, kBlue), 3 * 2) << picture(clipped, kBlue);
  clipped.resetClipRect();
  clipped.fillRect(CRect(-1, -1, 8, 8));
  EXPECT_EQ(count(clipped, kBlue), 64);
}

TEST(DrawContextClip, OffsetShiftsDrawingAndTheClipRectConsistently) {
  COffscreenContext ctx(nullptr, 10, 10, kWhiteCColor);
  ctx.setOffset(CPoint(3, 2));
  ctx.drawPoint(CPoint(0, 0), kRedCColor);
  EXPECT_EQ(at(ctx, 3, 2), kRed);
  EXPECT_EQ(ctx.getPoint(CPoint(0, 0)), kRedCColor);
  ctx.setClipRect(CRect(0, 0, 2, 2));
  CRect clip;
  ctx.getClipRect(clip);
  EXPECT_EQ(clip, CRect(0, 0, 2, 2));
  ctx.setFillColor(kBlueCColor);
  ctx.fillRect(CRect(-5, -5, 20, 20));
  EXPECT_EQ(count(ctx, kBlue), 4);
  EXPECT_EQ(at(ctx, 4, 3), kBlue);
}

TEST(DrawContextBlend, StraightAlphaOverOpaqueAndTransparentTargets) {
  COffscreenContext ctx(nullptr, 2, 1, kWhiteCColor);
  ctx.drawPoint(CPoint(0, 0), MakeCColor(255, 0, 0, 128));
  // (255·128 + 255·127) / 255 = 255 and (0·128 + 255·127) / 255 = 127, rounded.
  EXPECT_EQ(at(ctx, 0, 0), 0xFFFF7F7Fu);
  ctx.drawPoint(CPoint(1, 0), MakeCColor(0, 0, 0, 0));
  EXPECT_EQ(at(ctx, 1, 0), kWhite);

  COffscreenContext clear(nullptr, 1, 1, kTransparentCColor);
  clear.drawPoint(CPoint(0, 0), MakeCColor(255, 0, 0, 128));
  EXPECT_EQ(at(clear, 0, 0), 0x80FF0000u);
  clear.drawPoint(CPoint(0, 0), MakeCColor(0, 0, 255, 128));
  // Out alpha 128 + 128·127/255 = 192; colour weighted 128·255 : 128·127.
  const CColor c = clear.getPoint(CPoint(0, 0));
  EXPECT_EQ(c.alpha, 192);
  EXPECT_EQ(c.red, 85);
  EXPECT_EQ(c.blue, 170);
}

TEST(DrawContextBitmaps, BitmapsBlendByAlphaFromTheirOffsetAndStayInsideTheirSize) {
  // 3 × 2: a transparent hole in the middle of the top row.
  const uint32_t pixels[] = {kRed, 0x00000000u, kRed, kBlue, kBlue, 0x800000FFu};
  CBitmap* bitmap = new CBitmap(3, 2, pixels);
  COffscreenContext ctx(nullptr, 8, 8, kWhiteCColor);
  bitmap->draw(&ctx, CRect(1, 1, 8, 8));
  EXPECT_EQ(at(ctx, 1, 1), kRed);
  EXPECT_EQ(at(ctx, 2, 1), kWhite);  // alpha 0 shows what lay beneath
  EXPECT_EQ(at(ctx, 3, 2), 0xFF7F7FFFu);
  EXPECT_EQ(count(ctx, kWhite), 64 - 5);  // cut to the bitmap's 3 × 2

  COffscreenContext part(nullptr, 4, 4, kWhiteCColor);
  bitmap->draw(&part, CRect(0, 0, 4, 4), CPoint(1, 1));  // only (1,1) and (2,1) remain
  EXPECT_EQ(at(part, 0, 0), kBlue);
  EXPECT_EQ(at(part, 2, 0), kWhite);
  EXPECT_EQ(at(part, 0, 1), kWhite);
  bitmap->drawAlphaBlend(&part, CRect(3, 3, 4, 4), CPoint(0, 0), 0);
  EXPECT_EQ(at(part, 3, 3), kWhite);
  bitmap->forget();
}

TEST(OffscreenContext, CopiesIntoAndOutOfOtherContexts) {
  COffscreenContext layer(nullptr, 4, 3, kRedCColor);
  layer.drawPoint(CPoint(3, 2), kBlueCColor);
  COffscreenContext screen(nullptr, 10, 10, kWhiteCColor);
  layer.copyFrom(&screen, CRect(2, 2, 6, 5));
  EXPECT_EQ(count(screen, kRed), 11);
  EXPECT_EQ(at(screen, 5, 4), kBlue);
  EXPECT_EQ(at(screen, 6, 4), kWhite);
  // From an offset, into a context with its own offset.
  screen.setOffset(CPoint(1, 0));
  layer.copyFrom(&screen, CRect(0, 8, 2, 9), CPoint(2, 2));
  EXPECT_EQ(at(screen, 1, 8), kRed);
  EXPECT_EQ(at(screen, 2, 8), kBlue);
  EXPECT_EQ(at(screen, 3, 8), kWhite);
  screen.setOffset(CPoint(0, 0));

  // A transparent offscreen changes only where something was drawn into it.
  COffscreenContext sheet(nullptr, 10, 10, kTransparentCColor);
  sheet.setFrameColor(kBlueCColor);
  sheet.drawLine(CPoint(0, 0), CPoint(9, 0));
  sheet.copyFrom(&screen, CRect(0, 0, 10, 10));
  EXPECT_EQ(count(screen, kBlue), 10 + 2);
  EXPECT_EQ(count(screen, kRed), 12);

  COffscreenContext back(nullptr, 4, 3, kWhiteCColor);
  back.copyTo(&screen, CRect(2, 2, 6, 5));
  EXPECT_EQ(count(back, kRed), 11);
  EXPECT_EQ(at(back, 3, 2), kBlue);
}

}  // namespace
}  // namespace tarnwick::gui
