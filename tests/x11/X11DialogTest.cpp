// The toolkit's dialogs in real X11 windows: the file browser over an editor frame, driven by real
// pointer and key input while the frame's idle keeps returning, and message boxes in top-level windows
// answered by keys, clicks and the close button.
#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#if defined(TARNWICK_TEST_XTEST)
#include <X11/extensions/XTest.h>
#endif

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "gui/CFileBrowser.h"
#include "gui/CFrame.h"
#include "gui/CMessageView.h"
#include "gui/CMessageWindow.h"
#include "platform/MessageBox.h"
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;
using gui::CFileBrowser;
using gui::CRect;
using platform::MessageBoxAnswer;
using platform::MessageBoxButtons;

const std::string kUtf8Name =
    "Gr\xC3\xBC\xC3\x9F"
    "e.wav";

class X11Dialogs : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
#if defined(TARNWICK_TEST_XTEST)
    int event = 0, error = 0, major = 0, minor = 0;
    xtest_ = XTestQueryExtension(host_, &event, &error, &major, &minor);
#endif
  }
#if defined(TARNWICK_TEST_XTEST)
  // Real input at a place of the screen.
  void click(int x, int y) {
    XTestFakeMotionEvent(host_, DefaultScreen(host_), x, y, CurrentTime);
    XTestFakeButtonEvent(host_, 1, True, CurrentTime);
    XTestFakeButtonEvent(host_, 1, False, CurrentTime);
    sync();
  }
  void key(KeySym sym) {
    XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, sym), True, CurrentTime);
    XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, sym), False, CurrentTime);
    sync();
  }
#endif
  bool xtest_ = false;
};

TEST_F(X11Dialogs, FileBrowserPicksByMouseAndByKeyboardAndCancelsWhileTheIdleKeepsReturning) {
#if !defined(TARNWICK_TEST_XTEST)
  GTEST_SKIP() << "built without the XTEST extension library";
#else
  if (!xtest_) GTEST_SKIP() << "no XTEST on this server";
  char pattern[] = "/tmp/tarnwick-x11-browser-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  for (const std::string& name : {std::string("a.wav"), std::string("b.aif"), kUtf8Name, std::string("skip.txt")})
    std::ofstream(root + "/" + name) << "x";
  fs::create_directory(root + "/Sub");
  for (int i = 0; i < 40; ++i) std::ofstream(root + "/Sub/take" + std::to_string(100 + i) + ".wav") << "x";

  std::unique_ptr<platform::EditorWindow> window =
      platform::createX11EditorWindow(parent_, kEditorWidth, kEditorHeight);
  ASSERT_NE(window, nullptr);
  auto* frame = new gui::CFrame(CRect(0, 0, kEditorWidth, kEditorHeight), std::move(window), nullptr);
  const ::Window editor = editorWindowIn(parent_);
  CFileBrowser* browser = nullptr;
  int idles = 0;
  // The host's idle: each call returns at once; the browser lives on inside these calls.
  auto idleUntil = [&](const std::function<bool()>& done) {
    // Bounded by a count of idles (about ten seconds of 2 ms pauses), not by a clock.
    for (int n = 0; n < 5000 && !done(); ++n) {
      frame->idle();
      ++idles;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
  };
  auto show = [&] {
    gui::FileBrowseRequest request;
    request.title = "Load Sample";
    request.filters = {{"Audio Files", {"wav", "aif"}}, {"All Files", {"*"}}};
    request.folder = root;
    browser = new CFileBrowser(CRect(0, 0, kEditorWidth, kEditorHeight), request);
    browser->remember();
    frame->addView(browser);
    frame->setModalView(browser);
    frame->idle();
    frame->getPlatformWindow()->sync();
    sync();
  };
  auto done = [&] {
    frame->removeView(browser);
    browser->forget();
  };
  auto clickRow = [&](int32_t index) {
    const CRect r = browser->rowRect(index);
    click(kParentX + r.left + 40, kParentY + r.top + r.height() / 2);
  };
  auto indexOf = [&](const std::string& name) {
    for (int32_t i = 0; i < browser->entryCount(); ++i) {
      if (browser->entry(i).name == name) return i;
    }
    return -1;
  };

  show();
  ASSERT_EQ(browser->entryCount(), 5);  // "..", Sub and the three audio files
  EXPECT_EQ(browser->entry(4).name, kUtf8Name);
  const CRect selected = browser->rowRect(browser->selectedIndex());
  EXPECT_EQ(readColours(editor, selected.right - 3, selected.top + 2, 1, 1)[0], 0x3366CCu);  // on the screen
  const int32_t utf8 = indexOf(kUtf8Name);
  clickRow(utf8);
  ASSERT_TRUE(idleUntil([&] { return browser->selectedIndex() == utf8; }));
  clickRow(utf8);
  ASSERT_TRUE(idleUntil([&] { return browser->state() != CFileBrowser::State::kOpen; }));
  EXPECT_EQ(browser->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser->path(), root + "/" + kUtf8Name);
  done();

  show();  // the keyboard follows the browser to the editor window
  key(XK_End);
  key(XK_Up);
  key(XK_Return);
  ASSERT_TRUE(idleUntil([&] { return browser->state() != CFileBrowser::State::kOpen; }));
  EXPECT_EQ(browser->path(), root + "/b.aif");
  done();

  show();
  key(XK_Home);
  key(XK_Down);
  key(XK_Return);  // into Sub
  ASSERT_TRUE(idleUntil([&] { return browser->folder() == root + "/Sub"; }));
  // The wheel scrolls the long folder: two steps down hide the first rows.
  const CRect first = browser->rowRect(0);
  ASSERT_FALSE(first.isEmpty());
  XTestFakeMotionEvent(host_, DefaultScreen(host_), kParentX + first.left + 40, kParentY + first.top + 4, CurrentTime);
  for (int step = 0; step < 2; ++step) {
    XTestFakeButtonEvent(host_, 5, True, CurrentTime);
    XTestFakeButtonEvent(host_, 5, False, CurrentTime);
  }
  sync();
  ASSERT_TRUE(idleUntil([&] { return browser->rowRect(0).isEmpty(); }));
  EXPECT_EQ(browser->state(), CFileBrowser::State::kOpen);  // scrolling picks nothing
  key(XK_Escape);
  ASSERT_TRUE(idleUntil([&] { return browser->state() != CFileBrowser::State::kOpen; }));
  EXPECT_EQ(browser->state(), CFileBrowser::State::kCancelled);
  done();
  EXPECT_GT(idles, 3);
  frame->forget();
  fs::remove_all(root);
#endif
}

TEST_F(X11Dialogs, MessageBoxShowsItsTextAndAnswersKeysClicksAndTheCloseButton) {
  const std::string title =
      "\xC3\x9C"
      "berschreiben?";
  const char* text =
      "The bank\n/tmp/Gr\xC3\xBC\xC3\x9F"
      "e.vlb\nexists. Replace it?";
  const gui::CPoint size = gui::CMessageView::sizeFor(title.c_str(), text);
  const CRect box(0, 0, size.x, size.y);
  auto buttonCentre = [&](MessageBoxButtons buttons, MessageBoxAnswer which) {
    const CRect r = gui::CMessageView::buttonRect(box, buttons, which);
    return gui::CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  struct Case {
    const char* what;
    MessageBoxButtons buttons;
    MessageBoxAnswer expected;
    std::function<void(::Window, const XWindowAttributes&)> act;
    bool needsXTest = false;
  };
  const std::vector<Case> cases = {
    {"Return", MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes,
     [&](::Window w, auto&) { sendKeyPress(w, XK_Return); }},
    {"Escape", MessageBoxButtons::kOk, MessageBoxAnswer::kOk, [&](::Window w, auto&) { sendKeyPress(w, XK_Escape); }},
    {"close button", MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo, [&](::Window w, auto&) { sendDeleteWindow(w); }},
#if defined(TARNWICK_TEST_XTEST)
    {"click on No", MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo,
     [&](::Window, const XWindowAttributes& a) {
       const gui::CPoint c = buttonCentre(MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo);
       click(a.x + c.x, a.y + c.y);
     },
     true},
    {"click on Yes", MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes,
     [&](::Window, const XWindowAttributes& a) {
       const gui::CPoint c = buttonCentre(MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes);
       click(a.x + c.x, a.y + c.y);
     },
     true},
#endif
  };
  for (const Case& c : cases) {
    if (c.needsXTest && !xtest_) continue;
    bool shown = false, painted = false;
    // The box waits in a loop of its own; the user acts from outside (this thread owns the host
    // connection meanwhile).
    std::thread user([&] {
      ::Window id = 0;
      // Bounded by counts of 5 ms pauses (about ten seconds each), not by a clock.
      for (int n = 0; n < 2000 && (id = topLevelNamed(title)) == 0; ++n)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      shown = id != 0;
      if (!shown) return;
      // Painted: the panel, and ink of the title and of each text line.
      for (int n = 0; n < 2000 && !painted; ++n) {
        const std::vector<uint32_t> pixels = readColours(id, 0, 0, size.x, 100);
        auto inkIn = [&](int top, int bottom) {
          int ink = 0;
          for (int y = top; y < bottom; ++y)
            for (int x = 16; x < size.x - 16; ++x) ink += pixels[static_cast<size_t>(y) * size.x + x] != 0xECECECu;
          return ink;
        };
        painted = pixels.size() == static_cast<size_t>(size.x) * 100 && pixels[2 * size.x + 2] == 0xECECECu &&
                  inkIn(16, 34) > 40 && inkIn(46, 62) > 20 && inkIn(62, 78) > 20 && inkIn(78, 94) > 20;
        if (!painted) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      c.act(id, attributesOf(id));
    });
    const std::optional<MessageBoxAnswer> answer = gui::showMessageWindow(title.c_str(), text, c.buttons);
    user.join();
    EXPECT_TRUE(shown) << c.what;
    EXPECT_TRUE(painted) << c.what;
    EXPECT_EQ(answer, c.expected) << c.what;
    EXPECT_EQ(topLevelNamed(title), 0u) << c.what;  // gone once answered
  }
}

// A box the host waits for (the session recovery's, an overwrite question) belongs to the host's window,
// stays above it and has the keyboard, so Return answers it. Its owner is the top-level window around the
// editor while the editor is open, else (a session restored before any editor opens) one of the host's.
TEST_F(X11Dialogs, MessageBoxBelongsToTheHostsWindowStaysAboveAndTakesTheKeyboard) {
  const ::Window inner = XCreateSimpleWindow(host_, parent_, 10, 10, 600, 400, 0, 0, 0);
  XMapWindow(host_, inner);
  const long self = ::getpid();  // the host process's own window, as a window manager knows it
  XChangeProperty(host_, parent_, XInternAtom(host_, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
  sync();
  const std::string title = "Tarnwick VSTi - Error recovering last session";
  const Atom above = XInternAtom(host_, "_NET_WM_STATE_ABOVE", False);
  const Atom modal = XInternAtom(host_, "_NET_WM_STATE_MODAL", False);
  for (const bool editorOpen : {true, false}) {
    SCOPED_TRACE(editorOpen ? "editor open" : "editor closed");
    platform::setMessageBoxOwner(editorOpen ? reinterpret_cast<void*>(static_cast<uintptr_t>(inner)) : nullptr);
    std::vector<long> transientFor, states;
    bool focused = false;
    std::thread user([&] {
      ::Window id = 0;
      // Bounded by counts of 5 ms pauses, not by a clock.
      for (int n = 0; n < 2000 && (id = topLevelNamed(title)) == 0; ++n)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (id == 0) return;
      // The title can show before the box has set its other properties (another connection's requests
      // arrive in their own time): read them once they are there.
      for (int n = 0; n < 2000; ++n) {
        transientFor = longProperty(id, "WM_TRANSIENT_FOR");
        states = longProperty(id, "_NET_WM_STATE");
        if (!transientFor.empty() && states.size() >= 2) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      for (int n = 0; n < 2000 && !focused; ++n) {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(host_, &focus, &revert);
        focused = focus == id;
        if (!focused) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
#if defined(TARNWICK_TEST_XTEST)
      if (xtest_) {
        key(XK_Return);  // to whichever window has the keyboard
        return;
      }
#endif
      sendKeyPress(id, XK_Return);
    });
    const std::optional<MessageBoxAnswer> answer =
        gui::showMessageWindow(title.c_str(), "Error loading audio file :\n\n/gone.wav\n", MessageBoxButtons::kYesNo);
    user.join();
    EXPECT_EQ(transientFor, std::vector<long>{static_cast<long>(parent_)});
    EXPECT_NE(std::find(states.begin(), states.end(), static_cast<long>(above)), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), static_cast<long>(modal)), states.end());
    EXPECT_TRUE(focused);
    EXPECT_EQ(answer, MessageBoxAnswer::kYes);
  }
  platform::setMessageBoxOwner(nullptr);
}

}  // namespace
}  // namespace tarnwick::test
