// Text: the embedded font's sizes and faces, string widths, alignment, clipping and CParamDisplay drawing.
#include <gtest/gtest.h>

#include <cstring>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

struct Ink {
  int inside = 0;   // pixels differing from the background inside the rectangle
  int outside = 0;  // ... outside it
  CRect box;        // bounding box of all inked pixels
};

Ink inkOf(const CDrawContext& ctx, const CRect& rect, uint32_t background) {
  Ink ink;
  for (int32_t y = 0; y < ctx.getHeight(); ++y) {
    for (int32_t x = 0; x < ctx.getWidth(); ++x) {
      if (ctx.getPixels()[y * ctx.getStride() + x] == background) continue;
      (rect.pointInside(CPoint(x, y)) ? ink.inside : ink.outside)++;
      ink.box.unite(CRect(x, y, x + 1, y + 1));
    }
  }
  return ink;
}

TEST(Text, FontNumbersMapToPixelSizesAndFacesChangeWidths) {
  EXPECT_EQ(fontPixelSize(kSystemFont), 12);
  EXPECT_EQ(fontPixelSize(kNormalFontVeryBig), 18);
  EXPECT_EQ(fontPixelSize(kNormalFontBig), 14);
  EXPECT_EQ(fontPixelSize(kNormalFontVerySmall), 9);
  EXPECT_EQ(fontPixelSize(99), 12);
  COffscreenContext ctx(nullptr, 1, 1);
  ctx.setFont(kNormalFontBig, 0, kBoldFace);
  EXPECT_EQ(ctx.getFontSize(), 14);
  const CCoord bold = ctx.getStringWidth("Tarnwick VSTi V1.0");
  ctx.setFont(kNormalFontBig);
  const CCoord regular = ctx.getStringWidth("Tarnwick VSTi V1.0");
  ctx.setFont(kNormalFontVerySmall);
  const CCoord small = ctx.getStringWidth("Tarnwick VSTi V1.0");
  EXPECT_GT(bold, regular);
  EXPECT_GT(regular, small);
  EXPECT_GT(small, 40);
  EXPECT_EQ(ctx.getStringWidth(""), 0);
  EXPECT_EQ(ctx.getStringWidth(nullptr), 0);
  // Characters the font lacks are drawn as '?'.
  EXPECT_EQ(ctx.getStringWidth("\xE9"), ctx.getStringWidth("?"));
  // Sizes given explicitly snap to the nearest size carried.
  ctx.setFont(kNormalFont, 16);
  EXPECT_EQ(ctx.getFontSize(), 14);
}

TEST(Text, DrawStringAlignsAndStaysInsideItsRectangle) {
  const CRect rect(10, 5, 110, 25);
  auto render = [&](CHoriTxtAlign align, const char* text) {
    auto ctx = std::make_unique<COffscreenContext>(nullptr, 130, 30, kBlackCColor);
    ctx->setFont(kNormalFont);
    ctx->setFontColor(kWhiteCColor);
    ctx->drawString(text, rect, false, align);
    return ctx;
  };
  const Ink left = inkOf(*render(kLeftText, "Ab"), rect, 0xFF000000u);
  const Ink centre = inkOf(*render(kCenterText, "Ab"), rect, 0xFF000000u);
  const Ink right = inkOf(*render(kRightText, "Ab"), rect, 0xFF000000u);
  EXPECT_GT(left.inside, 20);
  EXPECT_LE(left.box.left, rect.left + 2);
  EXPECT_GE(right.box.right, rect.right - 3);
  EXPECT_NEAR((centre.box.left + centre.box.right) / 2.0, (rect.left + rect.right) / 2.0, 3.0);
  // Vertically centred: as much room above as below, within the font's descender.
  EXPECT_NEAR(centre.box.top - rect.top, rect.bottom - centre.box.bottom, 5);
  const Ink longText =
      inkOf(*render(kLeftText, "A line far too long for its rectangle, cut at the edge"), rect, 0xFF000000u);
  EXPECT_EQ(longText.outside, 0);
  EXPECT_GT(longText.inside, 200);
}

TEST(Text, SameTextSamePixelsAndOpaqueTextFillsItsRectangle) {
  COffscreenContext a(nullptr, 80, 20, kBlackCColor), b(nullptr, 80, 20, kBlackCColor);
  for (COffscreenContext* ctx : {&a, &b}) {
    ctx->setFont(kNormalFontSmall, 0, kItalicFace | kUnderlineFace);
    ctx->setFontColor(MakeCColor(200, 200, 200));
    ctx->drawString("Grain 42", CRect(0, 0, 80, 20));
  }
  EXPECT_EQ(0, std::memcmp(a.getPixels(), b.getPixels(), 80 * 20 * 4));
  COffscreenContext opaque(nullptr, 20, 20, kBlackCColor);
  opaque.setFillColor(kBlueCColor);
  opaque.drawString("", CRect(2, 2, 6, 6), true);
  EXPECT_EQ(opaque.getPoint(CPoint(2, 2)), kBlueCColor);
  EXPECT_EQ(opaque.getPoint(CPoint(5, 5)), kBlueCColor);
  EXPECT_EQ(opaque.getPoint(CPoint(6, 6)), kBlackCColor);
}

TEST(Text, Utf8DrawsLatinLettersAndOneReplacementPerMissingCharacter) {
  COffscreenContext ctx(nullptr, 1, 1);
  ctx.setFont(kNormalFont);
  const CCoord question = ctx.getStringWidth("?");
  EXPECT_NE(ctx.getStringWidth("\xC3\xBC"), question);                    // ü has a glyph of its own
  EXPECT_EQ(ctx.getStringWidth("\xE2\x98\x83"), question);                // a snowman: one '?', not three
  EXPECT_EQ(ctx.getStringWidth("a\xFF\xC3"), ctx.getStringWidth("a??"));  // broken bytes: one '?' each
  COffscreenContext u(nullptr, 20, 20, kBlackCColor), a(nullptr, 20, 20, kBlackCColor);
  for (auto [c, s] : {std::pair{&u, "\xC3\x9C"}, std::pair{&a, "U"}}) {
    c->setFont(kNormalFont);
    c->setFontColor(kWhiteCColor);
    c->drawString(s, CRect(0, 0, 20, 20));
  }
  EXPECT_NE(0, std::memcmp(u.getPixels(), a.getPixels(), 20 * 20 * 4));  // Ü carries its dots
}

void titleText(float /*value*/, char* text, size_t capacity) { std::snprintf(text, capacity, "Tarnwick VSTi V1.0"); }

TEST(ParamDisplay, DrawsTextInItsColourInsideItsRectangleOnly) {
  test::RecordingHost host;
  test::TestEditor editor(&host);
  const CRect rect(15, 13, 470, 29);
  auto* label = new CParamDisplay(rect);
  label->setFont(kNormalFontBig);
  label->setTxtFace(kBoldFace);
  label->setFontColor(MakeCColor(200, 200, 200));
  label->setBackColor(kBlackCColor);
  label->setFrameColor(kBlackCColor);
  label->setShadowColor(MakeCColor(127, 127, 127));
  label->setTransparency(true);
  label->setStringConvert(titleText);
  CBitmap* back = test::solidBitmap(554, 356, 0xFF203040u);
  editor.getFrame()->setBackground(back);
  back->forget();
  editor.getFrame()->addView(label);
  editor.idle();

  const platform::OffscreenWindow& w = editor.window();
  int textColour = 0, changedOutside = 0, shadow = 0;
  for (int32_t y = 0; y < 356; ++y) {
    for (int32_t x = 0; x < 554; ++x) {
      const uint32_t p = w.pixel(x, y);
      const bool inside = CRect(rect).inset(1, 1).pointInside(CPoint(x, y));
      if (p == 0xFFC8C8C8u) (inside ? textColour : changedOutside)++;
      if (!inside && p != 0xFF203040u) ++changedOutside;
      shadow += p == 0xFF7F7F7Fu;
    }
  }
  EXPECT_GT(textColour, 60);
  EXPECT_EQ(changedOutside, 0);
  EXPECT_EQ(shadow, 0);  // a shadow colour alone draws no shadow
  test::saveArtefact("param-display", w.pixels().data(), 554, 40, 554);

  label->setStyle(kShadowText);
  editor.idle();
  int shadowNow = 0;
  for (int32_t y = 13; y < 29; ++y)
    for (int32_t x = 15; x < 470; ++x) shadowNow += w.pixel(x, y) == 0xFF7F7F7Fu;
  EXPECT_GT(shadowNow, 10);
}

TEST(ParamDisplay, OpaqueDisplayFillsBackWithFrameAndFormatsTheValue) {
  test::RecordingHost host;
  test::TestEditor editor(&host, 60, 30);
  auto* display = new CParamDisplay(CRect(5, 5, 55, 25));
  display->setBackColor(MakeCColor(0, 0, 128));
  display->setFrameColor(kRedCColor);
  display->setValue(0.5f);
  editor.getFrame()->addView(display);
  editor.idle();
  const platform::OffscreenWindow& w = editor.window();
  EXPECT_EQ(w.pixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(w.pixel(54, 24), 0xFFFF0000u);
  EXPECT_EQ(w.pixel(55, 24), 0xFF000000u);
  EXPECT_EQ(w.pixel(7, 7), 0xFF000080u);
  int lit = 0;
  for (int32_t y = 5; y < 25; ++y)
    for (int32_t x = 5; x < 55; ++x) lit += ((w.pixel(x, y) >> 16) & 0xFF) > 128;  // white text on navy
  EXPECT_GT(lit, 10);                                                              // "0.50"
  display->setStyle(kNoDrawStyle);
  display->setValue(0.75f);
  editor.getFrame()->invalidate(CRect(0, 0, 60, 30));
  editor.idle();
  EXPECT_EQ(w.pixel(7, 7), 0xFF000000u);  // draws nothing at all
}

}  // namespace
}  // namespace tarnwick::gui
