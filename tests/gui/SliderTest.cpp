// Sliders: handle placement for the three styles, drags, Shift fine adjustment, Ctrl + click default,
// handle exchange.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

constexpr uint32_t kHandle = 0xFFFFFF00u;
constexpr uint32_t kBack = 0xFF004000u;

struct SliderFixture : ::testing::Test {
  test::RecordingHost host;
  test::TestEditor editor{&host};
  test::RecordingListener listener;

  // A delay bar: (15, 135, 29, 284), handle 14 × 7 travelling 135..277, style top.
  CVerticalSlider* bar(int32_t style = kTop) {
    CBitmap* handle = test::solidBitmap(14, 7, kHandle);
    CBitmap* back = test::solidBitmap(448, 149, kBack);
    auto* s = new CVerticalSlider(CRect(15, 135, 29, 284), &listener, 8, 135, 277, handle, back, CPoint(0, 0), style);
    handle->forget();
    back->forget();
    editor.getFrame()->addView(s);
    return s;
  }
  // The top row of the handle in column x, by pixels.
  int32_t handleTopAt(int32_t x) {
    for (int32_t y = 0; y < 356; ++y)
      if (editor.window().pixel(x, y) == kHandle) return y;
    return -1;
  }
};

TEST_F(SliderFixture, VerticalHandleForKnownValuesInTopAndBottomStyles) {
  CVerticalSlider* top = bar(kTop);
  for (const auto& [v, y] :
       std::vector<std::pair<float, int32_t>>{{0.0f, 135}, {1.0f, 277}, {0.5f, 206}, {0.25f, 170}}) {
    top->setValue(v);
    EXPECT_EQ(top->getHandleRect(), CRect(15, y, 29, y + 7)) << v;
    editor.idle();
    EXPECT_EQ(handleTopAt(20), y) << v;
  }
  EXPECT_EQ(editor.window().pixel(20, 140), kBack);

  // The release slider: (480, 133, 500, 263), handle 14 × 7 travelling 133..256, style bottom.
  CBitmap* handle = test::solidBitmap(14, 7, kHandle);
  auto* release = new CVerticalSlider(CRect(480, 133, 500, 263), &listener, 2, 133, 256, handle, nullptr,
                                      CPoint(480, 133), kBottom);
  handle->forget();
  release->setValue(1.0f);
  EXPECT_EQ(release->getHandleRect().top, 133);
  release->setValue(0.0f);
  EXPECT_EQ(release->getHandleRect().top, 256);
  release->setValue(0.5f);
  EXPECT_EQ(release->getHandleRect().top, 194);  // 256 - trunc(0.5 · 123) = 133 + trunc(0.5 · 123)
  EXPECT_EQ(release->getHandleRect().left, 480);
  release->forget();
}

TEST_F(SliderFixture, HorizontalLeftStyleAndBackgroundOffset) {
  CBitmap* handle = test::solidBitmap(9, 7, kHandle);
  std::vector<uint32_t> ramp(554 * 356);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = 0xFF000000u | static_cast<uint32_t>(i % 554);
  CBitmap* back = new CBitmap(554, 356, ramp.data());
  auto* s = new CHorizontalSlider(CRect(6, 118, 548, 132), &listener, 7, 6, 539, handle, back, CPoint(6, 118), kLeft);
  handle->forget();
  back->forget();
  editor.getFrame()->addView(s);
  s->setValue(0.0f);
  EXPECT_EQ(s->getHandleRect(), CRect(6, 118, 15, 125));
  s->setValue(1.0f);
  EXPECT_EQ(s->getHandleRect(), CRect(539, 118, 548, 125));
  s->setValue(0.25f);
  EXPECT_EQ(s->getHandleRect().left, 6 + 133);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(139, 118), kHandle);
  // The background is drawn from its offset: the window pixel at x shows ramp column x.
  EXPECT_EQ(editor.window().pixel(300, 130), 0xFF000000u | 300u);
}

TEST_F(SliderFixture, DragPutsTheHandleCentreUnderTheMouseInsideOneEditBracket) {
  CVerticalSlider* s = bar();
  // delta = 135 + 7 / 2 - 1 = 137: value = (y - 137) / 142.
  editor.drag({CPoint(20, 208), CPoint(20, 208), CPoint(25, 279), CPoint(20, 500), CPoint(20, 100)});
  EXPECT_EQ(s->getValue(), 0.0f);
  ASSERT_GE(listener.changes.size(), 3u);
  EXPECT_FLOAT_EQ(listener.changes[0].second, 0.5f);
  EXPECT_FLOAT_EQ(listener.changes[1].second, 1.0f);
  EXPECT_EQ(listener.changes.back(), std::make_pair(8, 0.0f));
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 8", "end 8"}));
  EXPECT_GE(host.idleCount, 4);  // the drag keeps the host's idle running

  // Bottom style inverts the drag.
  listener.changes.clear();
  s->setStyle(kVertical | kBottom);
  editor.drag({CPoint(20, 137)});
  EXPECT_FLOAT_EQ(s->getValue(), 1.0f);
}

TEST_F(SliderFixture, ShiftMakesTheDragTenTimesFiner) {
  CVerticalSlider* s = bar();
  s->setValue(0.5f);
  editor.drag({CPoint(20, 208), CPoint(20, 279), CPoint(20, 350)}, kLButton | kShift);
  EXPECT_NEAR(s->getValue(), 0.6f, 1e-6f);

  // Shift pressed during a drag: finer from where the value was at that moment.
  s->setValue(0.5f);
  editor.window().queueMouse(20, 208, kLButton);
  editor.window().queueMouse(20, 222, kLButton);                 // 0.5985...
  editor.window().queueMouse(20, 222, kLButton | kShift);        // no jump
  editor.window().queueMouse(20, 222 + 142, kLButton | kShift);  // + 0.1
  editor.window().queueMouse(20, 222 + 142, 0);
  editor.idle();
  EXPECT_NEAR(s->getValue(), (222.0f - 137.0f) / 142.0f + 0.1f, 1e-5f);
}

TEST_F(SliderFixture, CtrlClickSetsTheDefaultOtherButtonsAndDisabledSlidersDoNothing) {
  CVerticalSlider* s = bar();
  s->setDefaultValue(1.0f);
  s->setValue(0.2f);
  editor.click(20, 150, kControl | kLButton);
  EXPECT_EQ(s->getValue(), 1.0f);
  EXPECT_EQ(listener.changes, (std::vector<std::pair<int32_t, float>>{{8, 1.0f}}));
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 8", "end 8"}));
  editor.click(20, 150, kControl | kLButton);  // already there: nothing to report
  EXPECT_EQ(listener.changes.size(), 1u);

  auto* plain = new CVerticalSlider(CRect(0, 0, 10, 10), nullptr, 0, 0, 5, nullptr, nullptr);
  EXPECT_EQ(plain->getDefaultValue(), 0.5f);
  plain->forget();

  editor.click(20, 250, kRButton);
  s->setMouseEnabled(false);
  editor.click(20, 250);
  EXPECT_EQ(s->getValue(), 1.0f);
  EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(SliderFixture, HandleExchangeKeepsReferencesAndRedraws) {
  CVerticalSlider* s = bar();
  editor.idle();
  CBitmap* marked = test::solidBitmap(14, 7, 0xFFFF00FFu);
  s->setHandle(marked);
  EXPECT_EQ(marked->getNbReference(), 2);
  EXPECT_TRUE(s->isDirty());
  EXPECT_EQ(editor.window().pixel(20, 135), kHandle);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(20, 135), 0xFFFF00FFu);
  s->setHandle(nullptr);
  EXPECT_EQ(marked->getNbReference(), 1);
  marked->forget();
}

}  // namespace
}  // namespace tarnwick::gui
