// The toolkit's own top-level windows on X11: names for the window manager, dialog type, place on the
// screen, pixels, and the close button.
#include <X11/Xatom.h>

#include "X11TestSupport.h"
#include "platform/X11Dialogs.h"
#include "platform/X11Window.h"

namespace tarnwick::test {
namespace {

using X11TopLevel = X11Test;

TEST_F(X11TopLevel, IsACentredDialogNamedInUtf8ThatShowsItsPixelsAndReportsTheCloseButton) {
  const std::string title =
      "\xC3\x9C"
      "berschreiben? \xE2\x98\x83";  // "Überschreiben? ☃"
  std::unique_ptr<platform::EditorWindow> window = platform::createX11TopLevelWindow(300, 120, title.c_str());
  ASSERT_NE(window, nullptr);
  RecordingListener listener;
  window->setListener(&listener);
  const std::vector<uint32_t> pattern = testPattern(300, 120, 3);
  window->present(pattern.data(), 300, 0, 0, 300, 120);
  settle(*window);

  const ::Window id = topLevelNamed(title);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(textProperty(id, "WM_NAME"),
            "\xDC"
            "berschreiben? ?");  // Latin-1 for old window managers
  const std::vector<long> type = longProperty(id, "_NET_WM_WINDOW_TYPE");
  ASSERT_EQ(type.size(), 1u);
  EXPECT_EQ(static_cast<Atom>(type[0]), XInternAtom(host_, "_NET_WM_WINDOW_TYPE_DIALOG", False));
  const std::vector<long> protocols = longProperty(id, "WM_PROTOCOLS");
  ASSERT_EQ(protocols.size(), 1u);
  EXPECT_EQ(static_cast<Atom>(protocols[0]), XInternAtom(host_, "WM_DELETE_WINDOW", False));
  const XWindowAttributes a = attributesOf(id);
  EXPECT_EQ(a.x, (1024 - 300) / 2);
  EXPECT_EQ(a.y, (768 - 120) / 2);
  EXPECT_EQ(a.map_state, IsViewable);
  const std::vector<uint32_t> shown = readColours(id, 0, 0, 300, 120);
  for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], pattern[i] & 0xFFFFFF) << "pixel " << i;

  sendDeleteWindow(id);
  ASSERT_TRUE(dispatchUntil(*window, [&] { return listener.closeRequests == 1; }));
  // Waiting for input: true while the window lives, whether or not something arrived.
  EXPECT_TRUE(window->waitForEvents(1));
  window.reset();
  sync();
  EXPECT_EQ(topLevelNamed(title), 0u);
}

// Another program's window started for the editor (the desktop's file dialog) belongs to the host's
// top-level window around the editor: the editor window names it, a watch makes the program's window
// transient for it once it shows, and a second click brings that window forward.
TEST_F(X11TopLevel, ADialogProgramsWindowBelongsToTheHostsWindowAndComesForward) {
  const ::Window inner = XCreateSimpleWindow(host_, parent_, 10, 10, 700, 500, 0, 0, 0);
  XMapWindow(host_, inner);
  sync();
  std::unique_ptr<platform::EditorWindow> editor = platform::createX11EditorWindow(inner, kEditorWidth, kEditorHeight);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->dialogOwner(), parent_);

  const ::Window root = DefaultRootWindow(host_);
  const long program = 424242;  // the process id a window manager reads from the window
  const ::Window dialog = XCreateSimpleWindow(host_, root, 0, 0, 200, 100, 0, 0, 0);
  XChangeProperty(host_, dialog, XInternAtom(host_, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&program), 1);
  platform::x11::TransientWatch watch(parent_);
  EXPECT_FALSE(watch.adopt(program));  // not shown yet: it keeps looking
  XMapWindow(host_, dialog);
  const ::Window cover = XCreateSimpleWindow(host_, root, 0, 0, 300, 200, 0, 0, 0);
  XMapWindow(host_, cover);
  sync();
  EXPECT_TRUE(watch.adopt(program));
  EXPECT_EQ(longProperty(dialog, "WM_TRANSIENT_FOR"), std::vector<long>{static_cast<long>(parent_)});

  EXPECT_EQ(childrenOf(root).back(), cover);
  EXPECT_TRUE(platform::x11::bringProcessForward(program));
  sync();
  EXPECT_EQ(childrenOf(root).back(), dialog);
  EXPECT_FALSE(platform::x11::bringProcessForward(program + 1));
}

}  // namespace
}  // namespace tarnwick::test
