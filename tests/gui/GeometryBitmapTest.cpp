// Rectangles and points, and bitmaps: reference counting, copies from memory, resources by identifier.
#include <gtest/gtest.h>

#include "resources/BitmapResources.h"
#include "tests/gui/GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

TEST(Geometry, PointInsideCountsAllFourEdgesAndPointInsideRectIsHalfOpen) {
  const CRect r(10, 20, 30, 40);
  EXPECT_TRUE(CPoint(10, 20).isInside(r));
  EXPECT_TRUE(CPoint(30, 40).isInside(r));
  EXPECT_TRUE(CPoint(30, 20).isInside(r));
  EXPECT_FALSE(CPoint(31, 30).isInside(r));
  EXPECT_FALSE(CPoint(20, 19).isInside(r));
  EXPECT_FALSE(CPoint(9, 40).isInside(r));
  EXPECT_TRUE(r.pointInside(CPoint(29, 39)));
  EXPECT_FALSE(r.pointInside(CPoint(30, 39)));
  EXPECT_FALSE(r.pointInside(CPoint(29, 40)));
}

TEST(Geometry, BoundUniteAndOverlap) {
  CRect a(0, 0, 10, 10);
  EXPECT_EQ(CRect(a).bound(CRect(5, 5, 20, 20)), CRect(5, 5, 10, 10));
  EXPECT_TRUE(CRect(a).bound(CRect(20, 20, 30, 30)).isEmpty());
  EXPECT_EQ(CRect(a).unite(CRect(20, 5, 30, 6)), CRect(0, 0, 30, 10));
  EXPECT_EQ(CRect(a).unite(CRect()), a);
  EXPECT_TRUE(a.rectOverlap(CRect(9, 9, 12, 12)));
  EXPECT_FALSE(a.rectOverlap(CRect(10, 0, 12, 10)));  // touching edges share no pixel
  EXPECT_EQ(CRect(a).offset(2, 3), CRect(2, 3, 12, 13));
  EXPECT_EQ(CRect(a).inset(1, 2), CRect(1, 2, 9, 8));
  EXPECT_EQ(CColor::fromArgb(MakeCColor(1, 2, 3, 4).toArgb()), MakeCColor(1, 2, 3, 4));
}

class WatchedBitmap : public CBitmap {
 public:
  WatchedBitmap(const uint32_t* pixels, bool& deleted) : CBitmap(2, 2, pixels), deleted_(deleted) {}
  ~WatchedBitmap() override { deleted_ = true; }

 private:
  bool& deleted_;
};

TEST(Bitmap, SharedByReferenceCountingAndDeletedWithTheLastOwner) {
  const uint32_t pixels[] = {1, 2, 3, 4};
  bool deleted = false;
  CBitmap* bitmap = new WatchedBitmap(pixels, deleted);
  EXPECT_EQ(bitmap->getNbReference(), 1);
  CView* a = new CView(CRect(0, 0, 2, 2));
  CView* b = new CView(CRect(0, 0, 2, 2));
  a->setBackground(bitmap);
  b->setBackground(bitmap);
  a->setBackground(bitmap);  // the same bitmap again takes no second reference
  EXPECT_EQ(bitmap->getNbReference(), 3);
  bitmap->forget();  // the creator lets go; the views keep it
  EXPECT_FALSE(deleted);
  a->forget();
  EXPECT_EQ(bitmap->getNbReference(), 1);
  b->setBackground(nullptr);
  EXPECT_TRUE(deleted);
  b->forget();
}

TEST(Bitmap, CopiesMemoryPixelsAndRejectsEmptyInput) {
  uint32_t pixels[] = {0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u, 0xFF000005u, 0xFF000006u};
  CBitmap* bitmap = new CBitmap(3, 2, pixels);
  pixels[0] = 0;
  EXPECT_TRUE(bitmap->isLoaded());
  EXPECT_EQ(bitmap->getWidth(), 3);
  EXPECT_EQ(bitmap->getHeight(), 2);
  EXPECT_EQ(bitmap->getPixel(0, 0), 0xFF000001u);
  EXPECT_EQ(bitmap->getPixel(2, 1), 0xFF000006u);
  EXPECT_EQ(bitmap->getPixel(3, 0), 0u);
  bitmap->forget();
  for (CBitmap* empty : {new CBitmap(0, 5, pixels), new CBitmap(3, -1, pixels), new CBitmap(3, 2, nullptr)}) {
    EXPECT_FALSE(empty->isLoaded());
    COffscreenContext ctx(nullptr, 4, 4, kWhiteCColor);
    empty->draw(&ctx, CRect(0, 0, 4, 4));
    EXPECT_EQ(ctx.getPoint(CPoint(0, 0)), kWhiteCColor);
    empty->forget();
  }
}

// The toolkit knows no resources of its own: bitmaps by identifier come from the registered lookup.
bool resourceBitmap(int32_t id, BitmapPixels& out) {
  const BitmapResource* resource = findBitmapResource(id);
  if (resource == nullptr) return false;
  out = {resource->width, resource->height, resource->pixels};
  return true;
}

TEST(Bitmap, LoadsResourcesByIdentifierThroughTheRegisteredLookup) {
  setBitmapLookup(nullptr);
  CBitmap* none = new CBitmap(128);
  EXPECT_FALSE(none->isLoaded());
  none->forget();
  setBitmapLookup(resourceBitmap);
  CBitmap* background = new CBitmap(128);
  EXPECT_TRUE(background->isLoaded());
  EXPECT_EQ(background->getResourceId(), 128);
  EXPECT_EQ(background->getWidth(), 554);
  EXPECT_EQ(background->getHeight(), 356);
  background->forget();
  CBitmap* missing = new CBitmap(99999);
  EXPECT_FALSE(missing->isLoaded());
  missing->forget();
}

TEST(Bitmap, ResourceBackgroundAndBarsReachTheWindow) {
  setBitmapLookup(resourceBitmap);
  test::RecordingHost host;
  test::TestEditor editor(&host);
  CBitmap* background = new CBitmap(128);
  editor.getFrame()->setBackground(background);
  CBitmap* handle = new CBitmap(130);
  CBitmap* grid = new CBitmap(178);
  for (int i = 0; i < 32; ++i) {
    auto* bar = new CVerticalSlider(CRect(15 + 14 * i, 135, 29 + 14 * i, 284), nullptr, 8 + i, 135, 277, handle, grid,
                                    CPoint(0, 0), kTop);
    bar->setValue(static_cast<float>(i) / 31.0f);
    bar->setTransparency(true);
    editor.getFrame()->addView(bar);
  }
  editor.idle();
  ASSERT_EQ(background->getPixel(300, 20) >> 24, 255u);  // the window background is opaque
  EXPECT_EQ(editor.window().pixel(300, 20), background->getPixel(300, 20));
  // Bar 0 at value 0 shows its handle's top-left pixel at (15, 135) wherever the handle is opaque.
  if ((handle->getPixel(0, 0) >> 24) == 255u) {
    EXPECT_EQ(editor.window().pixel(15, 135), handle->getPixel(0, 0));
  }
  test::saveArtefact("resources-window", editor.window().pixels().data(), 554, 356, 554);
  background->forget();
  handle->forget();
  grid->forget();
}

}  // namespace
}  // namespace tarnwick::gui
