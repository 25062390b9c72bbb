// Mouse, keys and modal passes of the X11 editor window: synthetic events, real pointer input through
// the XTEST extension, Escape and a parent that the host destroys.
#include "X11TestSupport.h"

#include <X11/keysym.h>
#if defined(TARNWICK_TEST_XTEST)
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

using platform::createX11EditorWindow;
using platform::EditorWindow;
using platform::MouseState;

class X11Input : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
    ASSERT_NE(window_, nullptr);
    window_->setListener(&listener_);
    sync();
    child_ = editorWindowIn(parent_);
    ASSERT_NE(child_, 0u);
    // The first exposes come with the mapping; take them out of the way.
    dispatchUntil(*window_, [&] { return !listener_.exposed.empty(); });
  }
  void TearDown() override {
    window_.reset();
    X11Test::TearDown();
  }

#if defined(TARNWICK_TEST_XTEST)
  // Real input at a place of the editor window (the parent lies at kParentX, kParentY on the screen).
  void movePointer(int x, int y) {
    XTestFakeMotionEvent(host_, DefaultScreen(host_), kParentX + x, kParentY + y, CurrentTime);
    sync();
  }
  void button(unsigned int number, bool down) {
    XTestFakeButtonEvent(host_, number, down ? True : False, CurrentTime);
    sync();
  }
  void key(KeySym sym, bool down) {
    XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, sym), down ? True : False, CurrentTime);
    sync();
  }
#endif

  RecordingListener listener_;
  std::unique_ptr<EditorWindow> window_;
  ::Window child_ = 0;
};

TEST_F(X11Input, ButtonPressReachesTheListenerWithEditorCoordinatesAndButtonBits) {
  sendButtonPress(child_, 100, 50, Button3, ShiftMask | ControlMask);
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return listener_.downs.size() == 1; }));
  EXPECT_EQ(listener_.downs[0].x, 100);
  EXPECT_EQ(listener_.downs[0].y, 50);
  EXPECT_EQ(listener_.downs[0].buttons, platform::kMouseRight | platform::kModifierShift | platform::kModifierControl);

  sendButtonPress(child_, 3, 300, Button1, Mod1Mask);
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return listener_.downs.size() == 2; }));
  EXPECT_EQ(listener_.downs[1].x, 3);
  EXPECT_EQ(listener_.downs[1].y, 300);
  EXPECT_EQ(listener_.downs[1].buttons, platform::kMouseLeft | platform::kModifierAlt);

  // A second button while the left one is held: both bits.
  sendButtonPress(child_, 10, 10, Button2, Button1Mask);
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return listener_.downs.size() == 3; }));
  EXPECT_EQ(listener_.downs[2].buttons, platform::kMouseLeft | platform::kMouseMiddle);
}

TEST_F(X11Input, WheelButtonsAreNoMouseDown) {
  sendButtonPress(child_, 100, 50, Button4, 0);
  sendButtonPress(child_, 100, 50, Button5, 0);
  sendButtonPress(child_, 20, 30, Button1, 0);  // a marker that arrives after them
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return !listener_.downs.empty(); }));
  ASSERT_EQ(listener_.downs.size(), 1u);
  EXPECT_EQ(listener_.downs[0].x, 20);
}

TEST_F(X11Input, ModalPassDeliversNoMouseDownAndGoesOnWhenIdle) {
  sendButtonPress(child_, 100, 50, Button1, 0);
  EXPECT_TRUE(window_->pumpModal());
  window_->dispatchEvents();
  EXPECT_TRUE(listener_.downs.empty());  // the press was consumed by the modal pass

  // Nothing pending: the pass returns and the loop goes on.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(window_->pumpModal());
  window_->dispatchEvents();
  EXPECT_TRUE(listener_.downs.empty());
}

TEST_F(X11Input, ModalPassEndsOnEscapeOnly) {
  sendKeyPress(child_, XK_a);
  EXPECT_TRUE(window_->pumpModal());
  sendKeyPress(child_, XK_Escape);
  bool ended = false;
  for (int i = 0; i < 50 && !ended; ++i) ended = !window_->pumpModal();
  EXPECT_TRUE(ended);
  EXPECT_TRUE(window_->pumpModal());  // the next loop runs again
  // Outside a modal loop Escape means nothing.
  sendKeyPress(child_, XK_Escape);
  window_->dispatchEvents();
  EXPECT_TRUE(window_->pumpModal());
}

TEST_F(X11Input, ParentDestroyedByTheHostEndsModalLoopsAndLeavesTheWindowHarmless) {
  XDestroyWindow(host_, parent_);
  sync();
  bool ended = false;
  for (int i = 0; i < 50 && !ended; ++i) ended = !window_->pumpModal();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(window_->pumpModal());
  const std::vector<uint32_t> pattern = testPattern(kEditorWidth, kEditorHeight, 5);
  window_->present(pattern.data(), kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
  window_->dispatchEvents();
  EXPECT_EQ(window_->mouseState().buttons, 0);
  EXPECT_EQ(window_->openPopup(0, 0, 50, 50), nullptr);
  window_.reset();
  sync();  // the server still answers the host
}

TEST_F(X11Input, RealPointerDragIsFollowedThroughModalPasses) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(host_, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTEST on this server";
  movePointer(200, 100);
  // The state is what the events read so far tell.
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return window_->mouseState().x == 200; }));
  const MouseState resting = window_->mouseState();
  EXPECT_EQ(resting.x, 200);
  EXPECT_EQ(resting.y, 100);
  EXPECT_EQ(resting.buttons, 0);

  // The drag loop of a control: runs inside the mouse-down and reads the pointer after every pass.
  std::vector<MouseState> seen;
  listener_.onMouseDown = [&](const MouseState&) {
    movePointer(230, 110);
    window_->pumpModal();
    seen.push_back(window_->mouseState());
    movePointer(-40, 500);  // outside the window
    window_->pumpModal();
    seen.push_back(window_->mouseState());
    button(1, false);
    window_->pumpModal();
    seen.push_back(window_->mouseState());
  };
  XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, XK_Shift_L), True, CurrentTime);
  button(1, true);
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return !listener_.downs.empty(); }));
  XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, XK_Shift_L), False, CurrentTime);
  sync();
  EXPECT_EQ(listener_.downs[0].x, 200);
  EXPECT_EQ(listener_.downs[0].y, 100);
  EXPECT_EQ(listener_.downs[0].buttons, platform::kMouseLeft | platform::kModifierShift);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].x, 230);
  EXPECT_EQ(seen[0].y, 110);
  EXPECT_EQ(seen[0].buttons & platform::kMouseButtonBits, platform::kMouseLeft);
  EXPECT_EQ(seen[1].x, -40);
  EXPECT_EQ(seen[1].y, 500);
  EXPECT_EQ(seen[1].buttons & platform::kMouseButtonBits, platform::kMouseLeft);
  EXPECT_EQ(seen[2].buttons & platform::kMouseButtonBits, 0);
#endif
}

// A press whose release the window system delivers in the same batch (a host that was busy): the
// loop running on the press sees it held, and the release only in its next pass.
TEST_F(X11Input, PressAndReleaseQueuedTogetherAreSeenInTurn) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(host_, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTEST on this server";
  movePointer(120, 60);
  std::vector<MouseState> seen;
  listener_.onMouseDown = [&](const MouseState&) {
    seen.push_back(window_->mouseState());
    window_->pumpModal();
    seen.push_back(window_->mouseState());
  };
  button(1, true);
  button(1, false);
  sync();
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return !listener_.downs.empty(); }));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].buttons & platform::kMouseButtonBits, platform::kMouseLeft);
  EXPECT_EQ(seen[0].x, 120);
  EXPECT_EQ(seen[1].buttons & platform::kMouseButtonBits, 0);
#endif
}

TEST_F(X11Input, KeysOutsideModalPassesReachTheListenerAsCharactersAndVirtualKeys) {
  sendKeyPress(child_, XK_a, ShiftMask);
  sendKeyPress(child_, XK_Down, ControlMask);
  sendKeyPress(child_, XK_Escape);
  sendKeyPress(child_, XK_Shift_L);  // a modifier alone is no key for the toolkit
  sendKeyPress(child_, XK_BackSpace);
  ASSERT_TRUE(dispatchUntil(*window_, [&] { return listener_.keys.size() >= 4; }));
  ASSERT_EQ(listener_.keys.size(), 4u);
  EXPECT_EQ(listener_.keys[0].character, 'A');
  EXPECT_EQ(listener_.keys[0].modifiers, platform::kKeyModifierShift);
  EXPECT_EQ(listener_.keys[1].virtualKey, platform::kKeyDown);
  EXPECT_EQ(listener_.keys[1].modifiers, platform::kKeyModifierControl);
  EXPECT_EQ(listener_.keys[2].virtualKey, platform::kKeyEscape);
  EXPECT_EQ(listener_.keys[3].virtualKey, platform::kKeyBack);
}

TEST_F(X11Input, TakesTheKeyboardFocusAndGivesItBack) {
  ::Window before = 0, focus = 0;
  int revert = 0;
  XGetInputFocus(host_, &before, &revert);
  window_->takeKeyboardFocus();
  settle(*window_);
  XGetInputFocus(host_, &focus, &revert);
  EXPECT_EQ(focus, child_);
  window_->releaseKeyboardFocus();
  settle(*window_);
  XGetInputFocus(host_, &focus, &revert);
  EXPECT_EQ(focus, before);
}

}  // namespace
}  // namespace tarnwick::test
