// The built Tarnwick.dll's editor in a real Win32 window (wine on an X server): the headless host library
// loads it, hands it a parent window made by the test (as Windows hosts do) and drives open, idle and close,
// pumping the thread's messages as a host's loop does. Skipped without a display (wine's null driver).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <initializer_list>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "editor/Layout.h"
#include "engine/Constants.h"
#include "platform/EditorWindow.h"
#include "tests/support/OffscreenEditor.h"
#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"

namespace tarnwick::test {
namespace {

constexpr int kWidth = layout::kWindowWidth;
constexpr int kHeight = layout::kWindowHeight;
constexpr int kParentX = 40, kParentY = 30;               // the parent's client area on the screen
constexpr int kPointerRestX = 1000, kPointerRestY = 740;  // outside the editor: no hover look
constexpr wchar_t kParentClass[] = L"TarnwickTestHost";

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Dispatches what the thread's queue holds, as a host's message loop does between its idle calls.
void pumpMessages() {
  MSG message;
  for (int n = 0; n < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// What the window shows at (x, y, width, height), 0xRRGGBB rows from the top, read from its device context
// (a null window: the screen's).
std::vector<uint32_t> windowPixels(HWND window, int x, int y, int width, int height) {
  std::vector<uint32_t> pixels;
  HDC source = GetDC(window);
  if (source == nullptr) return pixels;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
      GdiFlush();
      const auto* p = static_cast<const uint32_t*>(bits);
      pixels.assign(p, p + static_cast<size_t>(width) * static_cast<size_t>(height));
      for (auto& pixel : pixels) pixel &= 0xFFFFFFu;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(window, source);
  return pixels;
}

// Real input, as the mouse would give it (screen coordinates).
void mouseAt(int x, int y, DWORD buttons) {
  SetCursorPos(x, y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = buttons;
  if (buttons != 0) SendInput(1, &input, sizeof input);
}

// The editor's popups: visible tool windows of the thread `thread` owned by `owner`.
struct PopupSearch {
  HWND owner;
  std::vector<HWND> found;
};
BOOL CALLBACK notePopup(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<PopupSearch*>(p);
  if (IsWindowVisible(w) && (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0 &&
      GetWindow(w, GW_OWNER) == search->owner) {
    search->found.push_back(w);
  }
  return TRUE;
}
std::vector<HWND> popupsOf(DWORD thread, HWND owner) {
  PopupSearch search{owner, {}};
  EnumThreadWindows(thread, notePopup, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A host's window made by the test at (kParentX, kParentY), in front and focused, the pointer resting outside.
class ParentWindowTest : public ::testing::Test {
 protected:
  bool makeParent(int width, int height) {
    if (std::getenv("DISPLAY") == nullptr) return false;  // wine's null driver shows no windows
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kParentClass;
    RegisterClassExW(&wc);
    parent_ = CreateWindowExW(0, kParentClass, L"host", WS_POPUP | WS_VISIBLE, kParentX, kParentY, width, height,
                              nullptr, nullptr, wc.hInstance, nullptr);
    if (parent_ == nullptr) return false;
    SetForegroundWindow(parent_);
    SetFocus(parent_);
    SetCursorPos(kPointerRestX, kPointerRestY);
    pumpMessages();
    return true;
  }
  void TearDown() override {
    if (parent_ != nullptr) DestroyWindow(parent_);
    UnregisterClassW(kParentClass, GetModuleHandleW(nullptr));
  }

  HWND parent_ = nullptr;
};

class Win32Editor : public ParentWindowTest {
 protected:
  void SetUp() override {
    if (!makeParent(kWidth, kHeight)) GTEST_SKIP() << "no display";
    std::string error;
    plugin_ = host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
    ASSERT_NE(plugin_, nullptr) << error;
    plugin_->resume();
  }
  void TearDown() override {
    if (plugin_) plugin_->close();
    plugin_.reset();
    ParentWindowTest::TearDown();
  }

  intptr_t openEditor() { return plugin_->dispatch(effEditOpen, 0, 0, parent_); }
  void idle(int times) {
    for (int i = 0; i < times; ++i) {
      pumpMessages();
      plugin_->dispatch(effEditIdle);
    }
    pumpMessages();
  }
  HWND editorWindow() const { return GetWindow(parent_, GW_CHILD); }
  std::vector<uint32_t> shown() { return windowPixels(editorWindow(), 0, 0, kWidth, kHeight); }
  // Idles until two reads in a row agree (everything dirty is drawn and shown).
  std::vector<uint32_t> idleUntilSteady() {
    std::vector<uint32_t> previous, now = shown();
    for (int i = 0; i < 50 && (now != previous || i < 3); ++i) {
      previous = now;
      idle(1);
      pause(5);
      now = shown();
    }
    return now;
  }
  // The editor drawn offscreen through the headless probe, the mouse where the real pointer rests.
  std::vector<uint32_t> drawnOffscreen() {
    return test::drawEditorOffscreen(*plugin_, kPointerRestX - kParentX, kPointerRestY - kParentY, kWidth, kHeight);
  }

  std::unique_ptr<host::PluginHost> plugin_;
};

TEST_F(Win32Editor, OpensInTheHostsParentAndShowsTheOffscreenPixels) {
  ASSERT_EQ(openEditor(), 1);
  const HWND child = editorWindow();
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(IsWindowVisible(child));
  RECT client{};
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, kWidth);
  EXPECT_EQ(client.bottom, kHeight);

  const std::vector<uint32_t> window = idleUntilSteady();
  ASSERT_EQ(window.size(), static_cast<size_t>(kWidth) * kHeight);
  // Covered and uncovered, it paints itself again from what it was shown last.
  RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(shown(), window);
  EXPECT_EQ(windowPixels(nullptr, kParentX, kParentY, kWidth, kHeight), window);  // and so does the screen

  plugin_->dispatch(effEditClose);
  EXPECT_EQ(editorWindow(), nullptr);
  const std::vector<uint32_t> offscreen = drawnOffscreen();
  ASSERT_EQ(offscreen.size(), window.size());
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < window.size(); ++i) {
    if (window[i] != offscreen[i] && differing++ == 0) first = i;
  }
  EXPECT_EQ(differing, 0u) << "first at " << first % kWidth << "," << first / kWidth;

  ASSERT_EQ(openEditor(), 1);  // and again, in a new window
  idle(2);
  EXPECT_NE(editorWindow(), nullptr);
}

TEST_F(Win32Editor, AClickOnABarSetsItsValueAndAHostThatDestroysItsWindowIsSurvived) {
  ASSERT_EQ(openEditor(), 1);
  plugin_->setParameter(kDelay01 + 4, 0.0f);
  idleUntilSteady();
  const int x = kParentX + layout::barRect(4).left + 5;
  mouseAt(x, kParentY + layout::kBarTop + 2 + 71, MOUSEEVENTF_LEFTDOWN);  // the middle of the bar
  mouseAt(x, kParentY + layout::kBarTop + 2 + 71, MOUSEEVENTF_LEFTUP);
  idle(2);
  EXPECT_NEAR(plugin_->getParameter(kDelay01 + 4), 0.5f, 0.01f);
  EXPECT_EQ(GetCapture(), nullptr);  // taken for the press, given back with the release

  DestroyWindow(parent_);  // our child goes with it
  parent_ = nullptr;
  idle(2);
  plugin_->dispatch(effEditClose);
  plugin_->setParameter(0, 0.25f);
  EXPECT_FLOAT_EQ(plugin_->getParameter(0), 0.25f);
}

// The main menu is a popup: an owned tool window over the editor, closed by Escape or a click outside.
TEST_F(Win32Editor, MainMenuOpensAsAnOwnedPopupAndEscapeOrAClickOutsideClosesIt) {
  ASSERT_EQ(openEditor(), 1);
  idleUntilSteady();
  const DWORD uiThread = GetCurrentThreadId();
  const int mx = kParentX + (layout::kMainMenuRect.left + layout::kMainMenuRect.right) / 2;
  const int my = kParentY + (layout::kMainMenuRect.top + layout::kMainMenuRect.bottom) / 2;
  for (const bool byEscape : {true, false}) {
    SCOPED_TRACE(byEscape ? "Escape" : "a click outside");
    mouseAt(mx, my, MOUSEEVENTF_LEFTDOWN);
    mouseAt(mx, my, MOUSEEVENTF_LEFTUP);
    std::atomic<bool> seen{false}, stuck{false};
    std::vector<uint32_t> pixels;
    RECT place{};
    std::thread user([&] {
      std::vector<HWND> popups;
      for (int i = 0; i < 500 && (popups = popupsOf(uiThread, parent_)).empty(); ++i) pause(10);
      if (!popups.empty()) {
        seen = true;
        pause(100);
        GetWindowRect(popups[0], &place);
        pixels = windowPixels(popups[0], 0, 0, place.right - place.left, place.bottom - place.top);
      }
      if (byEscape) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof keys[0]);
      } else {
        mouseAt(kPointerRestX, kPointerRestY, MOUSEEVENTF_LEFTDOWN);
        mouseAt(kPointerRestX, kPointerRestY, MOUSEEVENTF_LEFTUP);
      }
      for (int i = 0; i < 300 && !popupsOf(uiThread, parent_).empty(); ++i) pause(10);
      if (!popupsOf(uiThread, parent_).empty()) {
        // The menu stayed: end its loop as a host closing its window would, so that the test fails, not hangs.
        stuck = true;
        SendMessageTimeoutW(parent_, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, nullptr);
      }
    });
    idle(1);  // the click opens the menu; its modal loop runs until Escape or the click outside
    user.join();
    idle(2);
    ASSERT_TRUE(seen.load());
    ASSERT_FALSE(stuck.load());
    EXPECT_TRUE(popupsOf(uiThread, parent_).empty());
    EXPECT_EQ(GetCapture(), nullptr);
    // Over the editor, near the menu button, and drawn (not left blank).
    EXPECT_GE(place.left, kParentX);
    EXPECT_GE(place.top, kParentY);
    EXPECT_LT(place.top, kParentY + kHeight);
    ASSERT_FALSE(pixels.empty());
    size_t distinct = 0;
    for (uint32_t p : pixels) distinct += p != pixels[0] ? 1 : 0;
    EXPECT_GT(distinct, pixels.size() / 50);
  }
}

// The backend on its own, in a parent of the test's: keys, a drag that leaves the window, the wheel.
class Win32Backend : public ParentWindowTest, public platform::EditorWindowListener {
 protected:
  void SetUp() override {
    if (!makeParent(200, 150)) GTEST_SKIP() << "no display";
    window_ = platform::createEditorWindow(parent_, 200, 150);
    ASSERT_NE(window_, nullptr);
    window_->setListener(this);
    pumpMessages();
  }
  void TearDown() override {
    window_.reset();
    ParentWindowTest::TearDown();
  }
  void windowMouseDown(const platform::MouseState& state) override { downs_.push_back(state); }
  void windowExposed(int32_t, int32_t, int32_t, int32_t) override {}
  void windowKeyDown(const platform::KeyEvent& key) override { keys_.push_back(key); }
  void windowWheel(int32_t x, int32_t y, int32_t steps) override { wheels_.push_back({x, y, steps}); }
  void deliver() {
    pumpMessages();
    window_->dispatchEvents();
  }

  std::unique_ptr<platform::EditorWindow> window_;
  std::vector<platform::MouseState> downs_;
  std::vector<platform::KeyEvent> keys_;
  struct Wheel {
    int32_t x, y, steps;
  };
  std::vector<Wheel> wheels_;
};

void type(std::initializer_list<std::pair<WORD, bool>> keys) {  // virtual key, down
  for (const auto& [vk, down] : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
  }
}

TEST_F(Win32Backend, KeysReachTheListenerWhileTheWindowHasTheKeyboard) {
  const HWND child = GetWindow(parent_, GW_CHILD);
  window_->takeKeyboardFocus();
  EXPECT_EQ(GetFocus(), child);
  type({{'A', true}, {'A', false}, {VK_SHIFT, true}, {'B', true}, {'B', false}, {VK_SHIFT, false}});
  type({{VK_RETURN, true}, {VK_RETURN, false}, {VK_LEFT, true}, {VK_LEFT, false}, {VK_SPACE, true}});
  type({{VK_SPACE, false}, {VK_CONTROL, true}, {'C', true}, {'C', false}, {VK_CONTROL, false}});
  deliver();
  using platform::KeyEvent;
  const std::vector<std::tuple<int32_t, int32_t, int32_t>> expected = {{'a', 0, 0},
                                                                       {'B', 0, platform::kKeyModifierShift},
                                                                       {0, platform::kKeyReturn, 0},
                                                                       {0, platform::kKeyLeft, 0},
                                                                       {' ', platform::kKeySpace, 0},
                                                                       {'c', 0, platform::kKeyModifierControl}};
  ASSERT_EQ(keys_.size(), expected.size());
  for (size_t i = 0; i < keys_.size(); ++i) {
    EXPECT_EQ(std::make_tuple(keys_[i].character, keys_[i].virtualKey, keys_[i].modifiers), expected[i]) << i;
  }
  window_->releaseKeyboardFocus();
  EXPECT_EQ(GetFocus(), parent_);
}

TEST_F(Win32Backend, ADragOutsideTheWindowIsFollowedAndTheWheelIsReported) {
  mouseAt(kParentX + 50, kParentY + 40, 0);
  mouseAt(kParentX + 50, kParentY + 40, MOUSEEVENTF_LEFTDOWN);
  deliver();
  ASSERT_EQ(downs_.size(), 1u);
  EXPECT_EQ(downs_[0].x, 50);
  EXPECT_EQ(downs_[0].y, 40);
  EXPECT_EQ(downs_[0].buttons, platform::kMouseLeft);
  // The drag loop's passes: the mouse is followed beyond the window's left edge, then released there.
  mouseAt(kParentX - 30, kParentY + 60, 0);
  for (int i = 0; i < 20 && window_->mouseState().x != -30; ++i) EXPECT_TRUE(window_->pumpModal());
  EXPECT_EQ(window_->mouseState().y, 60);
  EXPECT_EQ(window_->mouseState().buttons, platform::kMouseLeft);
  mouseAt(kParentX - 30, kParentY + 60, MOUSEEVENTF_LEFTUP);
  for (int i = 0; i < 20 && window_->mouseState().buttons != 0; ++i) EXPECT_TRUE(window_->pumpModal());
  EXPECT_EQ(window_->mouseState().buttons, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(downs_.size(), 1u);

  window_->takeKeyboardFocus();
  mouseAt(kParentX + 60, kParentY + 70, 0);
  for (const int delta : {2 * WHEEL_DELTA, -WHEEL_DELTA / 2, -WHEEL_DELTA / 2}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    SendInput(1, &input, sizeof input);
  }
  deliver();
  ASSERT_EQ(wheels_.size(), 2u);  // the two halves make one step
  EXPECT_EQ(wheels_[0].x, 60);
  EXPECT_EQ(wheels_[0].y, 70);
  EXPECT_EQ(wheels_[0].steps, 2);
  EXPECT_EQ(wheels_[1].steps, -1);
}

// The toolkit's own window: a captioned top-level window of the asked client size, centred, whose close
// button reaches the listener.
TEST(Win32TopLevel, HasItsTitleAndSizeAndReportsTheCloseButton) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  struct Listener : platform::EditorWindowListener {
    int closes = 0;
    void windowMouseDown(const platform::MouseState&) override {}
    void windowExposed(int32_t, int32_t, int32_t, int32_t) override {}
    void windowCloseRequested() override { ++closes; }
  } listener;
  auto window = platform::createTopLevelWindow(300, 120,
                                               "Gr\xC3\xBC\xC3\x9F"
                                               "e");
  ASSERT_NE(window, nullptr);
  window->setListener(&listener);
  HWND top = GetForegroundWindow();
  ASSERT_NE(top, nullptr);
  wchar_t title[32] = L"";
  GetWindowTextW(top, title, 32);
  EXPECT_STREQ(title, L"Gr\u00FC\u00DFe");
  RECT client{};
  GetClientRect(top, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 120);
  PostMessageW(top, WM_CLOSE, 0, 0);
  window->dispatchEvents();
  EXPECT_EQ(listener.closes, 1);
  EXPECT_TRUE(IsWindow(top));  // closing is the listener's decision
  window.reset();
  EXPECT_FALSE(IsWindow(top));
}

}  // namespace
}  // namespace tarnwick::test
