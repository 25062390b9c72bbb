// Popup surfaces of the X11 editor window: override-redirect windows at the screen place of an editor
// position, kept on the screen, repainted on expose, holding the pointer grab while any is open.
#include <algorithm>

#include "X11TestSupport.h"
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

using platform::createX11EditorWindow;
using platform::EditorWindow;
using platform::PopupSurface;

class X11Popup : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
    ASSERT_NE(window_, nullptr);
    sync();
  }
  void TearDown() override {
    window_.reset();
    X11Test::TearDown();
  }
  // Top-level override-redirect windows that are mapped.
  std::vector<::Window> popupWindows() {
    std::vector<::Window> result;
    for (const ::Window w : childrenOf(DefaultRootWindow(host_))) {
      const XWindowAttributes a = attributesOf(w);
      if (a.override_redirect && a.map_state == IsViewable) result.push_back(w);
    }
    return result;
  }
  // Whether someone else holds the pointer (our own grab attempt says so).
  bool pointerGrabbedElsewhere() {
    const int status = XGrabPointer(host_, DefaultRootWindow(host_), False, ButtonPressMask, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime);
    if (status == GrabSuccess) XUngrabPointer(host_, CurrentTime);
    sync();
    return status == AlreadyGrabbed;
  }

  std::unique_ptr<EditorWindow> window_;
};

TEST_F(X11Popup, OpensOverrideRedirectAtTheScreenPlaceShowsItsPixelsAndGrabsUntilClosed) {
  EXPECT_FALSE(pointerGrabbedElsewhere());
  std::unique_ptr<PopupSurface> popup = window_->openPopup(300, 200, 120, 80);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->x(), 300);
  EXPECT_EQ(popup->y(), 200);
  EXPECT_EQ(popup->width(), 120);
  EXPECT_EQ(popup->height(), 80);
  const std::vector<uint32_t> pixels = testPattern(130, 80, 9);
  popup->present(pixels.data(), 130);
  settle(*window_);

  const std::vector<::Window> popups = popupWindows();
  ASSERT_EQ(popups.size(), 1u);
  const XWindowAttributes a = attributesOf(popups[0]);
  EXPECT_EQ(a.x, kParentX + 300);
  EXPECT_EQ(a.y, kParentY + 200);
  EXPECT_EQ(a.width, 120);
  EXPECT_EQ(a.height, 80);
  const std::vector<uint32_t> shown = readColours(popups[0], 0, 0, 120, 80);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      ASSERT_EQ(shown[static_cast<size_t>(y) * 120 + x], pixels[static_cast<size_t>(y) * 130 + x] & 0xFFFFFF);
    }
  }
  EXPECT_TRUE(pointerGrabbedElsewhere());

  popup.reset();
  settle(*window_);
  EXPECT_TRUE(popupWindows().empty());
  EXPECT_FALSE(pointerGrabbedElsewhere());
}

TEST_F(X11Popup, GrabLastsUntilTheLastOfNestedPopupsCloses) {
  std::unique_ptr<PopupSurface> outer = window_->openPopup(10, 10, 100, 100);
  std::unique_ptr<PopupSurface> inner = window_->openPopup(109, 30, 100, 60);
  ASSERT_NE(outer, nullptr);
  ASSERT_NE(inner, nullptr);
  settle(*window_);
  EXPECT_EQ(popupWindows().size(), 2u);
  outer.reset();
  settle(*window_);
  EXPECT_TRUE(pointerGrabbedElsewhere());
  inner.reset();
  settle(*window_);
  EXPECT_FALSE(pointerGrabbedElsewhere());
  EXPECT_TRUE(popupWindows().empty());
}

TEST_F(X11Popup, IsMovedToStayOnTheScreen) {
  // The editor lies at (50, 40) on a 1024 × 768 screen.
  std::unique_ptr<PopupSurface> popup = window_->openPopup(900, 700, 120, 80);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->x(), 1024 - 120 - kParentX);
  EXPECT_EQ(popup->y(), 768 - 80 - kParentY);
  settle(*window_);
  const std::vector<::Window> popups = popupWindows();
  ASSERT_EQ(popups.size(), 1u);
  EXPECT_EQ(attributesOf(popups[0]).x, 1024 - 120);
  EXPECT_EQ(attributesOf(popups[0]).y, 768 - 80);

  std::unique_ptr<PopupSurface> left = window_->openPopup(-200, -100, 60, 40);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->x(), -kParentX);
  EXPECT_EQ(left->y(), -kParentY);
}

TEST_F(X11Popup, TakesItsOtherPlaceWhereTheScreenEndsFirstAndIsMovedOnlyWhenThatDoesNotFitEither) {
  // A submenu beside a list that ends at x 960 of the screen: on its left; a list under a control near the
  // bottom: above the control.
  const platform::PopupPlace beside{960 - kParentX, 300, 120, 80, 850 - 120 - kParentX, 300};
  std::unique_ptr<PopupSurface> left = window_->openPopup(beside);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->x() + kParentX, 850 - 120);
  EXPECT_EQ(left->y(), 300);
  const platform::PopupPlace under{100, 740 - kParentY, 120, 80, 100, 700 - 80 - kParentY};
  std::unique_ptr<PopupSurface> above = window_->openPopup(under);
  ASSERT_NE(above, nullptr);
  EXPECT_EQ(above->x(), 100);
  EXPECT_EQ(above->y() + kParentY, 700 - 80);
  // Too tall for either place: moved up just enough.
  const platform::PopupPlace tall{100, 400 - kParentY, 120, 600, 100, 380 - 600 - kParentY};
  std::unique_ptr<PopupSurface> moved = window_->openPopup(tall);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->y() + kParentY, 768 - 600);
  settle(*window_);
  EXPECT_EQ(popupWindows().size(), 3u);
}

TEST_F(X11Popup, RepaintsItselfWhenExposed) {
  std::unique_ptr<PopupSurface> popup = window_->openPopup(40, 40, 90, 70);
  ASSERT_NE(popup, nullptr);
  const std::vector<uint32_t> pixels = testPattern(90, 70, 11);
  popup->present(pixels.data(), 90);
  settle(*window_);
  const std::vector<::Window> popups = popupWindows();
  ASSERT_EQ(popups.size(), 1u);
  XUnmapWindow(host_, popups[0]);
  XMapWindow(host_, popups[0]);
  sync();
  // The modal loop of the menu keeps it painted.
  for (int i = 0; i < 5; ++i) window_->pumpModal();
  settle(*window_);
  const std::vector<uint32_t> shown = readColours(popups[0], 0, 0, 90, 70);
  for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], pixels[i] & 0xFFFFFF) << "pixel " << i;
}

TEST_F(X11Popup, RefusesSizesNoMenuHas) {
  EXPECT_EQ(window_->openPopup(0, 0, 0, 10), nullptr);
  EXPECT_EQ(window_->openPopup(0, 0, 10, -1), nullptr);
  EXPECT_EQ(window_->openPopup(0, 0, 20000, 10), nullptr);
  settle(*window_);
  EXPECT_TRUE(popupWindows().empty());
  EXPECT_FALSE(pointerGrabbedElsewhere());
}

TEST_F(X11Popup, OutlivingItsWindowIsHarmless) {
  std::unique_ptr<PopupSurface> popup = window_->openPopup(40, 40, 90, 70);
  ASSERT_NE(popup, nullptr);
  window_.reset();
  const std::vector<uint32_t> pixels = testPattern(90, 70, 12);
  popup->present(pixels.data(), 90);
  popup.reset();
  sync();
  EXPECT_TRUE(popupWindows().empty());
  EXPECT_FALSE(pointerGrabbedElsewhere());
}

}  // namespace
}  // namespace tarnwick::test
