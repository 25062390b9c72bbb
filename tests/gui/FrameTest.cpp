// The frame: mouse dispatch to the topmost enabled view, deferred drawing at idle, overlapping and modal
// views, view ownership, and the editor base around it.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

class ClickView : public CView {
 public:
  ClickView(const CRect& r, std::vector<std::string>& log, std::string name, uint32_t argb)
      : CView(r), log_(log), name_(std::move(name)), argb_(argb) {}
  void mouse(CDrawContext*, CPoint& where, int32_t buttons) override {
    log_.push_back(name_ + " " + std::to_string(where.x) + "," + std::to_string(where.y) + " " +
                   std::to_string(buttons));
  }
  void draw(CDrawContext* context) override {
    ++draws;
    context->setFillColor(CColor::fromArgb(argb_));
    context->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
    setDirty(false);
  }
  int draws = 0;

 private:
  std::vector<std::string>& log_;
  std::string name_;
  uint32_t argb_;
};

struct FrameFixture : ::testing::Test {
  test::RecordingHost host;
  test::TestEditor editor{&host, 100, 80};
  std::vector<std::string> log;
  CFrame& frame() { return *editor.getFrame(); }
  ClickView* add(const CRect& r, const char* name, uint32_t argb = 0xFF808080u) {
    auto* v = new ClickView(r, log, name, argb);
    frame().addView(v);
    return v;
  }
};

TEST_F(FrameFixture, MouseDownGoesToTheTopmostEnabledViewUnderThePoint) {
  add(CRect(10, 10, 50, 50), "lower");
  ClickView* upper = add(CRect(30, 30, 70, 70), "upper");
  editor.click(40, 40);
  editor.click(20, 20);
  editor.click(70, 70, kRButton | kShift);  // right and bottom edges count as inside
  editor.click(90, 5);                      // nothing there
  upper->setMouseEnabled(false);
  editor.click(40, 40);
  EXPECT_EQ(log, (std::vector<std::string>{"upper 40,40 1", "lower 20,20 1", "upper 70,70 12", "lower 40,40 1"}));
}

TEST_F(FrameFixture, ChangesAreDrawnOnlyAtIdleTogetherWithOverlappingViews) {
  ClickView* lower = add(CRect(10, 10, 50, 50), "lower", 0xFF0000FFu);
  ClickView* upper = add(CRect(30, 30, 70, 70), "upper", 0xFFFF0000u);
  ClickView* apart = add(CRect(80, 0, 100, 10), "apart", 0xFF00FF00u);
  platform::OffscreenWindow& w = editor.window();
  EXPECT_EQ(w.presentCount(), 0);
  editor.idle();
  EXPECT_EQ(w.pixel(20, 20), 0xFF0000FFu);
  EXPECT_EQ(w.pixel(40, 40), 0xFFFF0000u);
  EXPECT_EQ(lower->draws, 1);
  EXPECT_FALSE(lower->isDirty());
  const int64_t presents = w.presentCount();
  editor.idle();  // nothing dirty: nothing drawn or shown
  EXPECT_EQ(w.presentCount(), presents);
  EXPECT_EQ(upper->draws, 1);

  lower->setDirty(true);
  EXPECT_EQ(w.presentCount(), presents);  // marking draws nothing by itself
  EXPECT_EQ(lower->draws, 1);
  editor.idle();
  EXPECT_EQ(lower->draws, 2);
  EXPECT_EQ(upper->draws, 2);  // overlaps the redrawn area and must stay on top
  EXPECT_EQ(apart->draws, 1);
  EXPECT_EQ(w.pixel(40, 40), 0xFFFF0000u);

  // Exposed areas are shown again from the frame's pixels without drawing.
  w.setMouse(0, 0, 0);
  w.exposeAll();
  EXPECT_EQ(lower->draws, 2);
}

TEST_F(FrameFixture, RemovedViewsUncoverTheBackgroundAndTheFrameOwnsItsViews) {
  CBitmap* back = test::solidBitmap(100, 80, 0xFF101010u);
  frame().setBackground(back);
  back->forget();
  ClickView* v = add(CRect(10, 10, 20, 20), "v", 0xFFFFFFFFu);
  EXPECT_FALSE(frame().addView(v));  // already in a frame
  v->remember();
  editor.idle();
  EXPECT_EQ(editor.window().pixel(15, 15), 0xFFFFFFFFu);
  EXPECT_EQ(v->getFrame(), &frame());
  EXPECT_EQ(v->getEditor(), &editor);
  EXPECT_TRUE(frame().removeView(v));
  EXPECT_EQ(v->getNbReference(), 1);
  EXPECT_EQ(v->getFrame(), nullptr);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(15, 15), 0xFF101010u);
  frame().addView(v);
  v->remember();
  editor.close();  // destroys the frame, which lets go of its views
  EXPECT_EQ(v->getNbReference(), 1);
  v->forget();
}

TEST_F(FrameFixture, SplashScreenIsModalWhileOpenAndUncoversTheWindowWhenClosed) {
  test::RecordingListener listener;
  CBitmap* about = test::solidBitmap(100, 80, 0xFFAA5500u);
  auto* splash = new CSplashScreen(CRect(0, 0, 0, 0), &listener, -1, about, CRect(0, 0, 100, 70));
  about->forget();
  add(CRect(10, 10, 50, 50), "button");
  splash->setTransparency(true);
  frame().addView(splash);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(5, 5), 0xFF000000u);

  CPoint origin(0, 0);
  splash->mouse(frame().getDrawContext(), origin, kLButton);
  EXPECT_EQ(frame().getModalView(), splash);
  EXPECT_EQ(splash->getValue(), 1.0f);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(20, 20), 0xFFAA5500u);  // drawn above the button
  editor.click(20, 20, kRButton);                         // neither closes it nor reaches the button
  editor.click(20, 75);                                   // outside the display area: ignored
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(splash->getValue(), 1.0f);
  editor.click(20, 20);
  EXPECT_EQ(splash->getValue(), 0.0f);
  EXPECT_EQ(frame().getModalView(), nullptr);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(5, 5), 0xFF000000u);
  EXPECT_EQ(editor.window().pixel(20, 20), 0xFF808080u);
  EXPECT_EQ(listener.changes, (std::vector<std::pair<int32_t, float>>{{-1, 1.0f}, {-1, 0.0f}}));
  editor.click(20, 20);
  EXPECT_EQ(log.size(), 1u);
}

TEST(Editor, RectKnobModeAndTheEditBracketReachTheHost) {
  test::RecordingHost host;
  test::TestEditor editor(&host);
  EditorRect* rect = nullptr;
  ASSERT_TRUE(editor.getRect(&rect));
  EXPECT_EQ(rect->right, 554);
  EXPECT_EQ(rect->bottom, 356);
  EXPECT_EQ(editor.getKnobMode(), kCircularMode);
  EXPECT_TRUE(editor.setKnobMode(kLinearMode));
  EXPECT_EQ(editor.getFrame()->getKnobMode(), kLinearMode);
  EXPECT_TRUE(editor.open(nullptr));
  EXPECT_TRUE(editor.isOpen());
  editor.beginEdit(7);
  editor.endEdit(7);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 7", "end 7"}));
  editor.close();
  EXPECT_FALSE(editor.isOpen());
  EXPECT_EQ(editor.getFrame(), nullptr);
  editor.idle();  // without a frame: nothing
}

TEST(Editor, HostIdleDuringADragCannotReenterTheFrame) {
  test::RecordingHost host;
  test::TestEditor editor(&host);
  test::RecordingListener listener;
  auto* slider = new CVerticalSlider(CRect(10, 10, 24, 159), &listener, 8, 10, 152, nullptr, nullptr);
  editor.getFrame()->addView(slider);
  // A host that calls the editor's idle from inside its own idle, with more input waiting.
  host.onIdle = [&] { editor.idle(); };
  editor.drag({CPoint(15, 20), CPoint(15, 60), CPoint(15, 100)});
  EXPECT_GE(host.idleCount, 3);
  EXPECT_EQ(editor.window().queuedMouseStates(), 0u);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 8", "end 8"}));
}

TEST(Editor, FrameOnTheDefaultWindowFactoryWorksWithoutAWindowSystem) {
  test::RecordingHost host;
  AEffGUIEditor editor(&host);
  CFrame* frame = new CFrame(CRect(0, 0, 40, 30), nullptr, &editor);
  ASSERT_NE(frame->getPlatformWindow(), nullptr);
  EXPECT_EQ(frame->getPlatformWindow()->width(), 40);
  frame->idle();
  frame->forget();
}

}  // namespace
}  // namespace tarnwick::gui
