// The built plug-in's editor in a real X window: the headless host library loads Tarnwick.so, hands it a
// parent window made by the test (as Linux hosts do) and drives open, idle and close.
#include "X11TestSupport.h"

#include <X11/keysym.h>
#if defined(TARNWICK_TEST_XTEST)
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "editor/Layout.h"
#include "engine/Constants.h"
#include "resources/BitmapResources.h"
#include "tests/support/OffscreenEditor.h"
#include "tests/support/PngArtefact.h"
#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"

namespace tarnwick::test {
namespace {

// What the real window showed, as a PNG into $TARNWICK_X11_ARTEFACTS (nothing when unset).
void saveArtefact(const char* name, const std::vector<uint32_t>& colours, int width, int height) {
  if (colours.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return;
  savePngArtefact("TARNWICK_X11_ARTEFACTS", name, colours.data(), width, height, width, false);
}

constexpr int kPointerRestX = 1000;  // on the screen, outside the editor: no control shows its hover look
constexpr int kPointerRestY = 740;

class X11Editor : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    plugin_ = host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
    ASSERT_NE(plugin_, nullptr) << error;
    plugin_->resume();
    XWarpPointer(host_, None, DefaultRootWindow(host_), 0, 0, 0, 0, kPointerRestX, kPointerRestY);
    sync();
  }
  void TearDown() override {
    if (plugin_) plugin_->close();
    plugin_.reset();
    X11Test::TearDown();
  }

  intptr_t openEditor() {
    return plugin_->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent_)));
  }
  void idle(int times) {
    for (int i = 0; i < times; ++i) plugin_->dispatch(effEditIdle);
  }
  std::vector<uint32_t> shown(const gui::CRect& r) {
    const ::Window child = editorWindowIn(parent_);
    if (child == 0) return {};
    return readColours(child, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  std::vector<uint32_t> shownWindow() { return shown(gui::CRect(0, 0, kEditorWidth, kEditorHeight)); }
  // Idles until the area shows something else than `before`; the pixels then shown.
  std::vector<uint32_t> idleUntilChanged(const gui::CRect& r, const std::vector<uint32_t>& before) {
    std::vector<uint32_t> now = shown(r);
    for (int pass = 0; now == before && pass < 600; ++pass) {
      idle(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      now = shown(r);
    }
    return now;
  }
  // Idles until two reads in a row agree (everything dirty is drawn and shown).
  std::vector<uint32_t> idleUntilSteady() {
    std::vector<uint32_t> previous, now = shownWindow();
    for (int i = 0; i < 50 && (now != previous || i < 3); ++i) {
      previous = now;
      idle(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      now = shownWindow();
    }
    return now;
  }
  // The editor drawn offscreen through the headless probe, the mouse at the same place as X's pointer.
  std::vector<uint32_t> drawnOffscreen() {
    return test::drawEditorOffscreen(*plugin_, kPointerRestX - kParentX, kPointerRestY - kParentY, kEditorWidth,
                                     kEditorHeight);
  }
  // Override-redirect windows on the screen (the editor's popup menus).
  std::vector<::Window> popupWindows(Display* display) {
    std::vector<::Window> result;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
      for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(display, children[i], &a) && a.override_redirect && a.map_state == IsViewable) {
          result.push_back(children[i]);
        }
      }
    }
    if (children != nullptr) XFree(children);
    return result;
  }

  std::unique_ptr<host::PluginHost> plugin_;
};

TEST_F(X11Editor, OpensInTheHostsParentAndShowsTheEditor) {
  ASSERT_EQ(plugin_->effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  ASSERT_EQ(plugin_->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, kEditorWidth);
  EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);

  ASSERT_EQ(openEditor(), 1);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  const XWindowAttributes a = attributesOf(child);
  EXPECT_EQ(a.width, kEditorWidth);
  EXPECT_EQ(a.height, kEditorHeight);
  EXPECT_EQ(a.map_state, IsViewable);

  const std::vector<uint32_t> window = idleUntilSteady();
  ASSERT_EQ(window.size(), static_cast<size_t>(kEditorWidth) * kEditorHeight);
  saveArtefact("editor-window", window, kEditorWidth, kEditorHeight);

  // Much of the window is the background bitmap itself (the rest are controls drawn over it).
  const BitmapResource* background = findBitmapResource(layout::kBmpBackground);
  ASSERT_NE(background, nullptr);
  ASSERT_EQ(background->width, kEditorWidth);
  size_t same = 0;
  for (size_t i = 0; i < window.size(); ++i) same += window[i] == (background->pixels[i] & 0xFFFFFFu) ? 1 : 0;
  EXPECT_GT(same, window.size() / 4);
  // And every pixel is what the editor draws: the same as its offscreen rendering.
  plugin_->dispatch(effEditClose);
  const std::vector<uint32_t> offscreen = drawnOffscreen();
  ASSERT_EQ(offscreen.size(), window.size());
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < window.size(); ++i) {
    if (window[i] != offscreen[i] && differing++ == 0) first = i;
  }
  EXPECT_EQ(differing, 0u) << "first at " << first % kEditorWidth << "," << first / kEditorWidth;
}

TEST_F(X11Editor, ExposedWindowIsRedrawnOnIdle) {
  ASSERT_EQ(openEditor(), 1);
  const std::vector<uint32_t> before = idleUntilSteady();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  XUnmapWindow(host_, child);
  XMapWindow(host_, child);
  sync();
  // Without a redraw the parent's background would show through.
  EXPECT_EQ(idleUntilSteady(), before);
}

TEST_F(X11Editor, HostParameterChangeMovesTheKnobAtTheNextIdle) {
  ASSERT_EQ(openEditor(), 1);
  plugin_->setParameter(0, 0.0f);
  idleUntilSteady();
  const std::vector<uint32_t> low = shown(layout::kLevelKnobRect);
  plugin_->setParameter(0, 1.0f);
  const std::vector<uint32_t> high = idleUntilChanged(layout::kLevelKnobRect, low);
  EXPECT_NE(high, low);
  plugin_->setParameter(0, 0.0f);
  idleUntilChanged(layout::kLevelKnobRect, high);
  EXPECT_EQ(idleUntilSteady(), idleUntilSteady());
  EXPECT_EQ(shown(layout::kLevelKnobRect), low);
}

TEST_F(X11Editor, CloseDestroysTheWindowAndAnotherOpenMakesANewOne) {
  ASSERT_EQ(openEditor(), 1);
  idle(2);
  plugin_->dispatch(effEditClose);
  sync();
  EXPECT_TRUE(childrenOf(parent_).empty());
  EXPECT_EQ(plugin_->dispatch(effEditIdle), 0);
  ASSERT_EQ(openEditor(), 1);
  idleUntilSteady();
  EXPECT_EQ(childrenOf(parent_).size(), 1u);
  plugin_->dispatch(effEditClose);
  plugin_->close();  // unloads the library with nothing of it left running
  sync();
  EXPECT_TRUE(childrenOf(parent_).empty());
}

TEST_F(X11Editor, WithoutADisplayOpenAnswersZeroAndTheHostGoesOn) {
  unsetenv("DISPLAY");
  EXPECT_EQ(openEditor(), 0);
  EXPECT_EQ(plugin_->dispatch(effEditIdle), 0);
  plugin_->dispatch(effEditClose);
  plugin_->setParameter(0, 0.25f);
  EXPECT_FLOAT_EQ(plugin_->getParameter(0), 0.25f);
  std::vector<float> left(256), right(256);
  plugin_->process(left.data(), right.data(), 256);
  setenv("DISPLAY", server_.displayName().c_str(), 1);
  EXPECT_EQ(openEditor(), 1);
  idle(2);
  EXPECT_EQ(childrenOf(parent_).size(), 1u);
}

#if defined(TARNWICK_TEST_XTEST)
// Real input from another connection while the plug-in's idle runs its modal loops.
class InputThread {
 public:
  explicit InputThread(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
  ~InputThread() {
    if (thread_.joinable()) thread_.join();
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  Display* display() const { return display_; }
  void run(std::function<void(Display*)> steps) {
    thread_ = std::thread([this, steps = std::move(steps)] { steps(display_); });
  }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  Display* display_;
  std::thread thread_;
};

void moveTo(Display* d, int x, int y) {
  XTestFakeMotionEvent(d, DefaultScreen(d), kParentX + x, kParentY + y, CurrentTime);
  XSync(d, False);
}
void press(Display* d, unsigned int button, bool down) {
  XTestFakeButtonEvent(d, button, down ? True : False, CurrentTime);
  XSync(d, False);
}
void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
#endif

TEST_F(X11Editor, KnobDraggedWithTheRealPointerTellsTheHost) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  ASSERT_EQ(openEditor(), 1);
  plugin_->setParameter(0, 0.2f);
  idleUntilSteady();
  plugin_->log().clear();
  const int cx = (layout::kLevelKnobRect.left + layout::kLevelKnobRect.right) / 2;
  const int cy = (layout::kLevelKnobRect.top + layout::kLevelKnobRect.bottom) / 2;
  InputThread input(server_.displayName());
  ASSERT_NE(input.display(), nullptr);
  moveTo(input.display(), cx, cy);
  press(input.display(), 1, true);
  // The press reaches the knob in the next idle, whose drag loop runs until the button comes up.
  input.run([&](Display* d) {
    // The knob tells the host when its drag begins; only then move (the loop reads the live pointer).
    for (int pass = 0; plugin_->log().edits().empty() && pass < 1000; ++pass) pause(5);
    for (int step = 1; step <= 8; ++step) {
      moveTo(d, cx, cy - 6 * step);
      pause(20);
    }
    press(d, 1, false);
  });
  idle(1);  // returns once the drag loop has seen the release
  input.join();
  idle(3);
  EXPECT_GT(plugin_->getParameter(0), 0.2f);
  const std::vector<host::EditRecord> edits = plugin_->log().edits();
  ASSERT_FALSE(edits.empty());
  EXPECT_TRUE(edits.front().begin);
  EXPECT_EQ(edits.front().index, 0);
  EXPECT_FALSE(edits.back().begin);
  EXPECT_FALSE(plugin_->log().automation().empty());
  EXPECT_GT(plugin_->log().idleCount(), 0);  // the drag loop let the host run its idle
#endif
}

// A host busy elsewhere hands the editor a press and its release in one go: the click still sets the
// bar under the pointer to the clicked height, and a quick click on a bar at the very top skips it.
TEST_F(X11Editor, AClickWhoseReleaseIsAlreadyQueuedSetsTheBar) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  ASSERT_EQ(openEditor(), 1);
  idleUntilSteady();
  InputThread input(server_.displayName());
  ASSERT_NE(input.display(), nullptr);
  const int x = layout::barRect(4).left + 5;
  moveTo(input.display(), x, layout::kBarTop + 2);  // the top: value 0
  press(input.display(), 1, true);
  press(input.display(), 1, false);
  moveTo(input.display(), x + 200, layout::kBarTop + 100);  // and away, before the editor ran
  XSync(input.display(), False);
  idle(1);
  EXPECT_EQ(plugin_->getParameter(tarnwick::kDelay01 + 4), 0.0f);
  moveTo(input.display(), x, layout::kBarTop + 2 + 71);  // the middle
  press(input.display(), 1, true);
  press(input.display(), 1, false);
  XSync(input.display(), False);
  idle(1);
  EXPECT_NEAR(plugin_->getParameter(tarnwick::kDelay01 + 4), 0.5f, 0.01f);
#endif
}

TEST_F(X11Editor, MainMenuOpensAsAPopupAndEscapeClosesIt) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  ASSERT_EQ(openEditor(), 1);
  idleUntilSteady();
  const int mx = (layout::kMainMenuRect.left + layout::kMainMenuRect.right) / 2;
  const int my = (layout::kMainMenuRect.top + layout::kMainMenuRect.bottom) / 2;
  InputThread input(server_.displayName());
  ASSERT_NE(input.display(), nullptr);
  moveTo(input.display(), mx, my);
  press(input.display(), 1, true);
  press(input.display(), 1, false);
  std::atomic<bool> popupSeen{false};
  std::vector<uint32_t> popupPixels;
  int popupWidth = 0, popupHeight = 0;
  input.run([&](Display* d) {
    std::vector<::Window> popups;
    for (int pass = 0; (popups = popupWindows(d)).empty() && pass < 500; ++pass) pause(10);
    if (!popups.empty()) {
      popupSeen = true;
      pause(100);
      XWindowAttributes a{};
      XGetWindowAttributes(d, popups[0], &a);
      popupWidth = a.width;
      popupHeight = a.height;
      XImage* image = XGetImage(d, popups[0], 0, 0, static_cast<unsigned int>(a.width),
                                static_cast<unsigned int>(a.height), AllPlanes, ZPixmap);
      if (image != nullptr) {
        for (int y = 0; y < a.height; ++y) {
          for (int x = 0; x < a.width; ++x) popupPixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)));
        }
        XDestroyImage(image);
      }
    }
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), True, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), False, CurrentTime);
    XSync(d, False);
  });
  idle(1);  // the click opens the menu; its modal loop runs until Escape
  input.join();
  idle(2);
  EXPECT_TRUE(popupSeen.load());
  sync();
  EXPECT_TRUE(popupWindows(host_).empty());
  ASSERT_FALSE(popupPixels.empty());
  saveArtefact("main-menu-popup", popupPixels, popupWidth, popupHeight);
  // The menu was drawn (not left blank) before it closed.
  const size_t distinct =
      std::count_if(popupPixels.begin(), popupPixels.end(), [&](uint32_t p) { return p != popupPixels[0]; });
  EXPECT_GT(distinct, popupPixels.size() / 50);
#endif
}

// The pointer leaves the bars for a window that covers the editor (another program's, a host's panel):
// X tells the place it left at, inside the window, and nothing more; the bar must not stay outlined.
TEST_F(X11Editor, AHoveredBarLetsGoWhenThePointerLeavesForAWindowAbove) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  ASSERT_EQ(openEditor(), 1);
  idleUntilSteady();
  const gui::CRect bar = layout::barRect(6);
  const std::vector<uint32_t> plain = shown(bar);
  XTestFakeMotionEvent(host_, DefaultScreen(host_), kParentX + bar.left + 5, kParentY + 200, CurrentTime);
  XSync(host_, False);
  ASSERT_NE(idleUntilChanged(bar, plain), plain);  // outlined
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const ::Window cover = XCreateWindow(host_, DefaultRootWindow(host_), 0, 0, 700, 500, 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect, &attributes);
  XMapRaised(host_, cover);
  XSync(host_, False);
  idle(3);
  // Away from the editor while it is covered, then uncovered: the editor hears of no motion at all.
  XTestFakeMotionEvent(host_, DefaultScreen(host_), kPointerRestX, kPointerRestY, CurrentTime);
  XSync(host_, False);
  idle(3);
  XDestroyWindow(host_, cover);
  XSync(host_, False);
  idleUntilSteady();
  EXPECT_EQ(shown(bar), plain);
#endif
}

}  // namespace
}  // namespace tarnwick::test
