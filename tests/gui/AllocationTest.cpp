// Value setters and dirty marking never allocate: the editor may call them on every parameter write.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "tests/support/AllocationCounter.h"

namespace tarnwick::gui {
namespace {

TEST(Allocation, SettersAndDirtyMarkingAllocateNothing) {
  test::RecordingHost host;
  test::TestEditor editor(&host);
  CBitmap* a = test::solidBitmap(14, 7, 0xFFFFFFFFu);
  CBitmap* b = test::solidBitmap(14, 7, 0xFF000000u);
  auto* slider = new CVerticalSlider(CRect(15, 135, 29, 284), nullptr, 8, 135, 277, a, nullptr);
  auto* menu = new COptionMenu(CRect(0, 0, 50, 12), nullptr, 265);
  menu->addEntry("a");
  menu->addEntry("b");
  auto* kick = new CKickButton(CRect(0, 20, 13, 37), nullptr, 42, 17, nullptr);
  auto* meter = new CVuMeter(CRect(0, 40, 16, 96), a, b, 24);
  for (CView* v : std::initializer_list<CView*>{slider, menu, kick, meter}) editor.getFrame()->addView(v);
  editor.idle();

  // The counter must see an allocation when there is one, or the test proves nothing.
  ASSERT_GE(tarnwick::test::countKnownAllocation(), 1);

  tarnwick::test::countAllocations(true);
  for (int i = 0; i < 200; ++i) {
    const float v = static_cast<float>(i % 7) / 7.0f;
    slider->setValue(v);
    slider->setHandle(i % 2 ? a : b);
    slider->setDirty(true);
    menu->setValue(static_cast<float>(i % 2));
    kick->setValue(v);
    meter->setValue(v);
    kick->setBackground(i % 2 ? a : nullptr);
    editor.getFrame()->invalidate(CRect(i % 100, 0, i % 100 + 20, 20));
  }
  tarnwick::test::countAllocations(false);
  EXPECT_EQ(tarnwick::test::allocationCounts().news, 0);
  a->forget();
  b->forget();
}

}  // namespace
}  // namespace tarnwick::gui
