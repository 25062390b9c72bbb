// Knob geometry and drags; kick and on/off buttons with stacked images.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

using Changes = std::vector<std::pair<int32_t, float>>;

struct KnobFixture : ::testing::Test {
  test::RecordingHost host;
  test::TestEditor editor{&host};
  test::RecordingListener listener;
  CKnob* knob = nullptr;

  void SetUp() override {
    // The level knob: (471, 292, 517, 337), handle 7 × 10, inset 7.
    CBitmap* handle = test::solidBitmap(7, 10, 0xFFFFFFFFu);
    knob = new CKnob(CRect(471, 292, 517, 337), &listener, 0, nullptr, handle, CPoint(471, 292));
    handle->forget();
    knob->setInsetValue(7);
    editor.getFrame()->addView(knob);
    editor.idle();
  }
};

TEST_F(KnobFixture, HandleSitsOnTheCircleFromLowerLeftThroughTopToLowerRight) {
  knob->setValue(0.5f);
  EXPECT_EQ(knob->valueToPoint(), CPoint(23, 7));
  knob->setValue(0.0f);
  EXPECT_EQ(knob->valueToPoint(), CPoint(12, 34));  // 23 ∓ 16·cos 45° = 11.69 / 34.31
  knob->setValue(1.0f);
  EXPECT_EQ(knob->valueToPoint(), CPoint(34, 34));
  editor.idle();
  // The handle bitmap is centred on the point: (471 + 34 - 3, 292 + 34 - 5).
  EXPECT_EQ(editor.window().pixel(502, 321), 0xFFFFFFFFu);
  EXPECT_EQ(editor.window().pixel(501, 321), 0xFF000000u);
}

TEST_F(KnobFixture, LinearModeDragMovesTheFullRangePer200Pixels) {
  editor.setKnobMode(kLinearMode);
  knob->setValue(0.5f);
  editor.idle();
  editor.drag({CPoint(494, 314), CPoint(494, 264), CPoint(534, 294)});  // up 50, then right 40 / up 20
  EXPECT_NEAR(knob->getValue(), 0.8f, 1e-6f);
  ASSERT_EQ(listener.changes.size(), 2u);
  EXPECT_NEAR(listener.changes[0].second, 0.75f, 1e-6f);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "end 0"}));

  editor.drag({CPoint(494, 314), CPoint(494, 114)}, kLButton | kShift);  // 200 px with Shift: a tenth
  EXPECT_NEAR(knob->getValue(), 0.9f, 1e-6f);
  editor.drag({CPoint(494, 314), CPoint(494, -500)});
  EXPECT_EQ(knob->getValue(), 1.0f);
}

TEST_F(KnobFixture, CircularModeFollowsTheAngleAndAltSwitchesToLinear) {
  editor.click(494, 300);  // straight above the centre
  EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6f);
  editor.click(480, 315);  // left of the centre: 45° past the start of 270°
  EXPECT_NEAR(knob->getValue(), 1.0f / 6.0f, 1e-3f);
  editor.click(497, 336);  // in the gap at the bottom, right of the middle: the upper end
  EXPECT_EQ(knob->getValue(), 1.0f);
  editor.click(491, 336);
  EXPECT_EQ(knob->getValue(), 0.0f);
  knob->setValue(0.5f);
  editor.drag({CPoint(494, 300), CPoint(494, 280)}, kLButton | kAlt);
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
  knob->setDefaultValue(0.25f);
  editor.click(494, 300, kLButton | kControl);
  EXPECT_EQ(knob->getValue(), 0.25f);
}

struct ButtonFixture : ::testing::Test {
  test::RecordingHost host;
  test::TestEditor editor{&host};
  test::RecordingListener listener;
  uint32_t sampled = 0;
};

TEST_F(ButtonFixture, KickButtonIsOneWhileHeldInsideAndZeroAfterRelease) {
  // A copy button: (23, 294, 36, 311), bitmap 13 × 34 of two 17-pixel images.
  CBitmap* bitmap = test::stackedBitmap(13, 17, 0xFF202020u, 0xFFE0E0E0u);
  auto* kick = new CKickButton(CRect(23, 294, 36, 311), &listener, 42, 17, bitmap);
  bitmap->forget();
  kick->setTransparency(true);
  editor.getFrame()->addView(kick);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(30, 300), 0xFF202020u);
  // Look at the window in the middle of the press.
  host.onIdle = [&] {
    if (sampled == 0) sampled = editor.window().pixel(30, 300);
  };
  editor.drag({CPoint(30, 300), CPoint(31, 301)});
  EXPECT_EQ(sampled, 0xFFE0E0E0u);
  EXPECT_EQ(listener.changes, (Changes{{42, 1.0f}, {42, 0.0f}}));
  EXPECT_EQ(kick->getValue(), 0.0f);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 42", "end 42"}));
  editor.idle();
  EXPECT_EQ(editor.window().pixel(30, 300), 0xFF202020u);

  // Leaving the button while held releases it; coming back presses it again.
  listener.changes.clear();
  editor.drag({CPoint(30, 300), CPoint(80, 300), CPoint(36, 311)});
  EXPECT_EQ(listener.changes, (Changes{{42, 1.0f}, {42, 0.0f}, {42, 1.0f}, {42, 0.0f}}));
  listener.changes.clear();
  editor.click(30, 300, kRButton);
  EXPECT_TRUE(listener.changes.empty());
}

TEST_F(ButtonFixture, OnOffButtonTogglesAndShowsTheLowerImageWhenOn) {
  // The move button: (310, 42, 353, 51), bitmap 43 × 18, two images of 9 rows.
  CBitmap* bitmap = test::stackedBitmap(43, 9, 0xFF400000u, 0xFFFF4040u);
  auto* button = new COnOffButton(CRect(310, 42, 353, 51), &listener, 5, bitmap);
  bitmap->forget();
  editor.getFrame()->addView(button);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(320, 45), 0xFF400000u);
  editor.click(320, 45);
  EXPECT_EQ(button->getValue(), 1.0f);
  EXPECT_EQ(editor.window().pixel(320, 45), 0xFFFF4040u);
  editor.click(320, 45);
  editor.click(320, 45, kRButton);
  EXPECT_EQ(listener.changes, (Changes{{5, 1.0f}, {5, 0.0f}}));
  button->setValue(0.3f);  // any nonzero value is on
  editor.idle();
  EXPECT_EQ(editor.window().pixel(320, 45), 0xFFFF4040u);
  editor.click(320, 45);
  EXPECT_EQ(button->getValue(), 0.0f);
}

TEST(VuMeter, LitLedsFollowTheValueAndFallByTheDecreaseStep) {
  test::RecordingHost host;
  test::TestEditor editor(&host);
  // The level meter: (526, 287, 542, 343), bitmaps 16 × 56, 24 LEDs.
  CBitmap* on = test::solidBitmap(16, 56, 0xFF00FF00u);
  CBitmap* off = test::solidBitmap(16, 56, 0xFF003000u);
  auto* meter = new CVuMeter(CRect(526, 287, 542, 343), on, off, 24, kVertical);
  on->forget();
  off->forget();
  meter->setDecreaseStepValue(0.03f);
  editor.getFrame()->addView(meter);
  auto litRows = [&] {
    int rows = 0;
    for (int32_t y = 287; y < 343; ++y) rows += editor.window().pixel(530, y) == 0xFF00FF00u;
    return rows;
  };
  meter->setValue(0.5f);
  editor.idle();
  EXPECT_EQ(meter->getLitLeds(), 12);
  EXPECT_EQ(litRows(), 28);
  EXPECT_EQ(editor.window().pixel(530, 287 + 27), 0xFF003000u);

  meter->setValue(0.0f);
  editor.idle();
  EXPECT_NEAR(meter->getShownValue(), 0.47f, 1e-6f);
  EXPECT_EQ(meter->getLitLeds(), 11);  // trunc(24 · 0.47 + 0.5)
  EXPECT_EQ(litRows(), 56 - 13 * 56 / 24);
  int idles = 1;
  while (meter->isDirty() && idles < 100) {
    editor.idle();
    ++idles;
  }
  EXPECT_EQ(idles, 17);  // 0.5 falls to 0 in 17 steps of 0.03
  EXPECT_EQ(litRows(), 0);
  meter->setValue(0.9f);  // rises at once
  editor.idle();
  EXPECT_EQ(meter->getLitLeds(), 22);
}

}  // namespace
}  // namespace tarnwick::gui
