// The X11 editor window in a parent made by the test: placement, pixels on servers and visuals of
// several depths, exposes, and windows side by side.
#include <cstdlib>

#include "X11TestSupport.h"
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

using platform::createEditorWindow;
using platform::createX11EditorWindow;
using platform::EditorWindow;

void* handleOf(::Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

int channelError(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

class X11Window : public X11Test {
 protected:
  // Presents a pattern with pure black, white, red, green and blue in its first pixels and compares what
  // the server shows, allowing `tolerance` per channel (the visual's quantisation).
  void expectPatternShown(EditorWindow& window, ::Window child, int tolerance) {
    std::vector<uint32_t> pattern = testPattern(kEditorWidth, kEditorHeight, 7);
    const uint32_t pure[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (size_t i = 0; i < 5; ++i) pattern[i] = pure[i];
    window.present(pattern.data(), kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
    settle(window);
    const std::vector<uint32_t> shown = readColours(child, 0, 0, kEditorWidth, kEditorHeight);
    ASSERT_EQ(shown.size(), pattern.size());
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(shown[i], pure[i]) << "pure colour " << i;
    int worst = 0;
    size_t worstAt = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
      const int error = channelError(shown[i], pattern[i] & 0xFFFFFF);
      if (error > worst) {
        worst = error;
        worstAt = i;
      }
    }
    EXPECT_LE(worst, tolerance) << "pixel " << worstAt << " shows " << std::hex << shown[worstAt] << " for "
                                << pattern[worstAt];
  }
};

TEST_F(X11Window, OpensAsMappedChildOfTheParentWithTheEditorSizeAndGoesWithItsObject) {
  std::unique_ptr<EditorWindow> window = createEditorWindow(handleOf(parent_), kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->width(), kEditorWidth);
  EXPECT_EQ(window->height(), kEditorHeight);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  const XWindowAttributes a = attributesOf(child);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.width, kEditorWidth);
  EXPECT_EQ(a.height, kEditorHeight);
  EXPECT_EQ(a.map_state, IsViewable);
  EXPECT_FALSE(a.override_redirect);
  // Input the editor needs is selected on the window itself.
  const long wanted = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
  EXPECT_EQ(a.all_event_masks & wanted, wanted);

  window.reset();
  sync();
  EXPECT_TRUE(childrenOf(parent_).empty());
}

TEST_F(X11Window, PresentShowsTheExactPixelsOfTheGivenAreaOnly) {
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  const std::vector<uint32_t> first = testPattern(kEditorWidth, kEditorHeight, 1);
  window->present(first.data(), kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
  settle(*window);
  std::vector<uint32_t> shown = readColours(child, 0, 0, kEditorWidth, kEditorHeight);
  ASSERT_EQ(shown.size(), first.size());
  for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], first[i] & 0xFFFFFF) << "pixel " << i;

  // A part of another buffer with a wider stride: only that part changes.
  const int32_t stride = kEditorWidth + 13;
  const std::vector<uint32_t> second = testPattern(stride, kEditorHeight, 2);
  const int32_t px = 101, py = 37, pw = 64, ph = 29;
  window->present(second.data(), stride, px, py, pw, ph);
  settle(*window);
  shown = readColours(child, 0, 0, kEditorWidth, kEditorHeight);
  for (int32_t y = 0; y < kEditorHeight; ++y) {
    for (int32_t x = 0; x < kEditorWidth; ++x) {
      const bool inside = x >= px && x < px + pw && y >= py && y < py + ph;
      const uint32_t expected =
          inside ? second[static_cast<size_t>(y) * stride + x] : first[static_cast<size_t>(y) * kEditorWidth + x];
      ASSERT_EQ(shown[static_cast<size_t>(y) * kEditorWidth + x], expected & 0xFFFFFF) << x << "," << y;
    }
  }

  // Areas reaching past the window are cut; a null buffer shows nothing.
  window->present(first.data(), kEditorWidth, -20, -20, 40, 40);
  window->present(nullptr, kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
  settle(*window);
  shown = readColours(child, 0, 0, 20, 1);
  for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(shown[static_cast<size_t>(x)], first[static_cast<size_t>(x)] & 0xFFFFFF);
}

TEST_F(X11Window, ShowsTheColoursOnAServerOfDepth16) {
  restartWithDepth(16);
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(attributesOf(child).depth, 16);
  // 5 and 6 bits per channel: within half a step of 255/31.
  expectPatternShown(*window, child, 5);
}

TEST_F(X11Window, ShowsTheColoursOnAServerOfDepth30WithBlueInTheHighBits) {
  restartWithDepth(30);
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  const XWindowAttributes a = attributesOf(child);
  ASSERT_EQ(a.depth, 30);
  ASSERT_NE(a.visual->red_mask, 0xFF0000ul);  // this server orders its channels differently
  expectPatternShown(*window, child, 0);
}

TEST_F(X11Window, ParentWithAnAlphaVisualGetsOpaquePixels) {
  XVisualInfo info{};
  if (XMatchVisualInfo(host_, DefaultScreen(host_), 32, TrueColor, &info) == 0) GTEST_SKIP() << "no 32-bit visual";
  const ::Window parent = makeParent(info.visual, 32);
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  sync();
  const ::Window child = editorWindowIn(parent);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(attributesOf(child).depth, 32);
  expectPatternShown(*window, child, 0);
  // The toolkit's alpha (0 in the pattern) is ignored: every pixel is opaque for a compositor.
  const unsigned long alphaMask = 0xFFFFFFFFul & ~(info.red_mask | info.green_mask | info.blue_mask);
  for (const unsigned long p : readPixels(child, 0, 0, 40, 40)) ASSERT_EQ(p & alphaMask, alphaMask);
}

TEST_F(X11Window, PaletteParentGetsATrueColourChild) {
  restartWithDepth(8);
  ASSERT_NE(DefaultVisual(host_, DefaultScreen(host_))->c_class, TrueColor);
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(attributesOf(child).visual->c_class, TrueColor);
  // The only true-colour visual of this server has 3, 3 and 2 bits.
  expectPatternShown(*window, child, 43);
}

TEST_F(X11Window, ExposedAreaReachesTheListenerOnIdle) {
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  RecordingListener listener;
  window->setListener(&listener);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_TRUE(dispatchUntil(*window, [&] { return !listener.exposed.empty(); }));  // mapping exposes all
  listener.exposed.clear();

  XClearArea(host_, child, 10, 20, 30, 40, True);
  sync();
  ASSERT_TRUE(dispatchUntil(*window, [&] { return !listener.exposed.empty(); }));
  const RecordingListener::Area& area = listener.exposed.back();
  EXPECT_LE(area.x, 10);
  EXPECT_LE(area.y, 20);
  EXPECT_GE(area.x + area.width, 40);
  EXPECT_GE(area.y + area.height, 60);
  EXPECT_GE(area.x, 0);
  EXPECT_GE(area.y, 0);
  EXPECT_LE(area.x + area.width, kEditorWidth);
  EXPECT_LE(area.y + area.height, kEditorHeight);
  EXPECT_TRUE(listener.downs.empty());
}

TEST_F(X11Window, RemappedWindowIsRepaintedByTheListener) {
  std::unique_ptr<EditorWindow> window = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  const std::vector<uint32_t> frame = testPattern(kEditorWidth, kEditorHeight, 3);
  RecordingListener listener;
  listener.window = window.get();
  listener.pixels = frame.data();
  listener.stride = kEditorWidth;
  window->setListener(&listener);
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_TRUE(dispatchUntil(*window, [&] { return !listener.exposed.empty(); }));
  settle(*window);
  EXPECT_EQ(readColours(child, 0, 0, kEditorWidth, kEditorHeight).back(), frame.back() & 0xFFFFFF);

  XUnmapWindow(host_, child);
  sync();
  EXPECT_EQ(readColours(parent_, 100, 100, 1, 1)[0], kParentBackground);  // the editor is gone from view
  listener.exposed.clear();
  XMapWindow(host_, child);
  sync();
  ASSERT_TRUE(dispatchUntil(*window, [&] { return !listener.exposed.empty(); }));
  settle(*window);
  const std::vector<uint32_t> shown = readColours(child, 0, 0, kEditorWidth, kEditorHeight);
  for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], frame[i] & 0xFFFFFF) << "pixel " << i;
}

TEST_F(X11Window, TwoWindowsWorkOnConnectionsOfTheirOwn) {
  std::unique_ptr<EditorWindow> first = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  std::unique_ptr<EditorWindow> second = createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  sync();
  ASSERT_EQ(childrenOf(parent_).size(), 2u);
  first.reset();
  sync();
  const ::Window child = editorWindowIn(parent_);
  ASSERT_NE(child, 0u);
  const std::vector<uint32_t> pattern = testPattern(kEditorWidth, kEditorHeight, 4);
  second->present(pattern.data(), kEditorWidth, 0, 0, kEditorWidth, kEditorHeight);
  settle(*second);
  EXPECT_EQ(readColours(child, 5, 5, 1, 1)[0], pattern[5 * kEditorWidth + 5] & 0xFFFFFF);
}

}  // namespace
}  // namespace tarnwick::test
