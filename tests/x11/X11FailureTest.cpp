// What the X11 backend does when things go wrong: no display, a parent that is no window, server errors
// while the host has its own handlers installed, and a server that dies under an open window.
#include <cstdlib>

#include "X11TestSupport.h"
#include "platform/X11Support.h"
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

using platform::createEditorWindow;
using platform::createX11EditorWindow;
using platform::EditorWindow;

int gHostErrors = 0;
int countingHandler(Display*, XErrorEvent*) {
  ++gHostErrors;
  return 0;
}

class X11Failure : public X11Test {};

TEST_F(X11Failure, NoDisplayGivesNoWindow) {
  unsetenv("DISPLAY");
  EXPECT_EQ(createX11EditorWindow(parent_, kEditorWidth, kEditorHeight), nullptr);
  EXPECT_EQ(createEditorWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(parent_)), kEditorWidth, kEditorHeight),
            nullptr);
  setenv("DISPLAY", ":4093", 1);  // no server there
  EXPECT_EQ(createX11EditorWindow(parent_, kEditorWidth, kEditorHeight), nullptr);

  // Headless use still has a window: a null parent, or the offscreen factory asked for by name.
  std::unique_ptr<EditorWindow> offscreen = createEditorWindow(nullptr, kEditorWidth, kEditorHeight);
  ASSERT_NE(offscreen, nullptr);
  EXPECT_EQ(offscreen->width(), kEditorWidth);
  EXPECT_NE(platform::createOffscreenEditorWindow(kEditorWidth, kEditorHeight), nullptr);
  setenv("DISPLAY", server_.displayName().c_str(), 1);
  EXPECT_NE(createX11EditorWindow(parent_, kEditorWidth, kEditorHeight), nullptr);
}

TEST_F(X11Failure, ParentThatIsNoWindowGivesNoWindowAndTheHostHandlerSeesNothing) {
  gHostErrors = 0;
  const XErrorHandler before = XSetErrorHandler(&countingHandler);
  EXPECT_EQ(createX11EditorWindow(0x1234567, kEditorWidth, kEditorHeight), nullptr);   // BadWindow on the server
  EXPECT_EQ(createX11EditorWindow(0x7FFFFFFF, kEditorWidth, kEditorHeight), nullptr);  // not an X id at all
  EXPECT_EQ(createX11EditorWindow(0, kEditorWidth, kEditorHeight), nullptr);
  EXPECT_EQ(createX11EditorWindow(parent_, 0, kEditorHeight), nullptr);
  EXPECT_EQ(gHostErrors, 0);
  EXPECT_EQ(XSetErrorHandler(before), &countingHandler);  // ours was put back
  sync();
  EXPECT_TRUE(childrenOf(parent_).empty());
}

TEST_F(X11Failure, TrapKeepsItsDisplaysErrorsAndForwardsOthers) {
  gHostErrors = 0;
  const XErrorHandler before = XSetErrorHandler(&countingHandler);
  Display* ours = XOpenDisplay(server_.displayName().c_str());
  ASSERT_NE(ours, nullptr);
  {
    platform::x11::ErrorTrap outer(ours);
    {
      platform::x11::ErrorTrap inner(ours);
      XMapWindow(ours, 0x1234567);
      XSync(ours, False);
      EXPECT_EQ(inner.errorCode(), BadWindow);
    }
    EXPECT_EQ(outer.errorCode(), 0);  // the innermost trap of the display took it
    XUnmapWindow(host_, 0x1234568);   // the host's own mistake while ours is installed
    XSync(host_, False);
    EXPECT_EQ(gHostErrors, 1);
    XMapWindow(ours, 0x1234569);
    XSync(ours, False);
    EXPECT_EQ(outer.errorCode(), BadWindow);
    EXPECT_FALSE(outer.connectionLost());
  }
  EXPECT_EQ(gHostErrors, 1);
  {
    platform::x11::ErrorTrap trap(ours);
    XCloseDisplay(ours);
  }
  EXPECT_EQ(XSetErrorHandler(before), &countingHandler);
}

TEST_F(X11Failure, ServerThatDiesUnderAnOpenWindowDoesNotEndTheHost) {
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  std::unique_ptr<platform::PopupSurface> popup = window->openPopup(10, 10, 50, 50);
  ASSERT_NE(popup, nullptr);
  XCloseDisplay(host_);
  host_ = nullptr;
  server_.stop(true);

  const std::vector<uint32_t> pixels = testPattern(kEditorWidth, kEditorHeight, 13);
  window->present(pixels.data(), kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
  window->dispatchEvents();
  EXPECT_FALSE(window->pumpModal());
  EXPECT_FALSE(window->pumpModal());
  window->mouseState();
  window->sync();
  popup->present(pixels.data(), 50);
  EXPECT_EQ(window->openPopup(0, 0, 10, 10), nullptr);
  popup.reset();
  window.reset();
  SUCCEED() << "the process is still here";
}

}  // namespace
}  // namespace tarnwick::test
