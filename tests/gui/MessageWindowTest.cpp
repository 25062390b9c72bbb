// Toolkit message boxes: text wrapping, answers by key and mouse through the window loop on an offscreen
// window, what the box draws, and the order of handler, presenter and standard error.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "GuiTestSupport.h"
#include "gui/CMessageView.h"

namespace tarnwick::gui {
namespace {

using platform::MessageBoxAnswer;
using platform::MessageBoxButtons;

TEST(MessageWindow, WrapsAtLineBreaksBetweenWordsAndInsideOverlongWords) {
  const std::string text =
      "The bank file could not be written.\n\nDisk full: /home/sam/Gr\xC3\xBC\xC3\x9F"
      "e/" +
      std::string(120, 'x') + " done";
  const std::vector<std::string> lines = CMessageView::wrap(text, 200);
  COffscreenContext measure(nullptr, 1, 1);
  measure.setFont(kNormalFont);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[2], "");  // the empty line stays
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(measure.getStringWidth(line.c_str()), 200) << line;
    joined += line;
  }
  EXPECT_NE(joined.find("Gr\xC3\xBC\xC3\x9F"
                        "e"),
            std::string::npos);  // no character cut in two
  EXPECT_EQ(lines.back(), "done");
  EXPECT_GT(CMessageView::sizeFor("T", text.c_str()).y, CMessageView::sizeFor("T", "short").y);
}

struct Script {
  std::function<void(platform::OffscreenWindow&, const CRect& box)> input;
  MessageBoxButtons buttons;
  MessageBoxAnswer expected;
};

TEST(MessageWindow, AnswersByKeyAndByClickAndDefaultsWhenLeftWithoutAnswer) {
  auto center = [](const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); };
  auto yes = [&](const CRect& box) {
    return center(CMessageView::buttonRect(box, MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes));
  };
  auto no = [&](const CRect& box) {
    return center(CMessageView::buttonRect(box, MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo));
  };
  const std::vector<Script> scripts = {
      {[](auto& w, auto&) { w.queueKey(13, platform::kKeyReturn); }, MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes},
      {[](auto& w, auto&) { w.queueKey(0, platform::kKeyEscape); }, MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo},
      {[](auto& w, auto&) { w.queueKey('n'); }, MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo},
      {[](auto& w, auto&) { w.queueKey(0, platform::kKeyEscape); }, MessageBoxButtons::kOk, MessageBoxAnswer::kOk},
      {[&](auto& w, auto& box) {
         w.queueMouse(yes(box).x, yes(box).y, kLButton);
         w.queueMouse(yes(box).x, yes(box).y, 0);
       },
       MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes},
      {[&](auto& w, auto& box) {
         w.queueMouse(no(box).x, no(box).y, kLButton);
         w.queueMouse(no(box).x, no(box).y, 0);
       },
       MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo},
      // Pressed on Yes, released elsewhere: no answer; nothing more comes, so the box closes as No.
      {[&](auto& w, auto& box) {
         w.queueMouse(yes(box).x, yes(box).y, kLButton);
         w.queueMouse(5, 5, 0);
         w.queueKey('q');
       },
       MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo},
  };
  for (size_t i = 0; i < scripts.size(); ++i) {
    const CPoint size = CMessageView::sizeFor("Overwrite?", "The file exists. Replace it?");
    auto window = std::make_unique<platform::OffscreenWindow>(size.x, size.y);
    scripts[i].input(*window, CRect(0, 0, size.x, size.y));
    EXPECT_EQ(runMessageWindow(std::move(window), "Overwrite?", "The file exists. Replace it?", scripts[i].buttons),
              scripts[i].expected)
        << "script " << i;
  }
}

TEST(MessageWindow, DrawsTitleTextAndButtons) {
  test::RecordingHost host;
  const CPoint size = CMessageView::sizeFor("Session", "Line one\nLine two");
  test::TestEditor editor(&host, size.x, size.y);
  auto* view = new CMessageView(CRect(0, 0, size.x, size.y), "Session", "Line one\nLine two", MessageBoxButtons::kOk);
  editor.getFrame()->addView(view);
  editor.getFrame()->setModalView(view);
  editor.idle();
  const platform::OffscreenWindow& w = editor.window();
  const CRect ok = CMessageView::buttonRect(CRect(0, 0, size.x, size.y), MessageBoxButtons::kOk, MessageBoxAnswer::kOk);
  EXPECT_EQ(w.pixel(2, 2), 0xFFECECECu);
  EXPECT_EQ(w.pixel(ok.left, ok.top), 0xFF5A5A5Au);  // the button's outline
  auto inkIn = [&](CCoord top, CCoord bottom) {
    int ink = 0;
    for (CCoord y = top; y < bottom; ++y)
      for (CCoord x = 16; x < size.x - 16; ++x) ink += w.pixel(x, y) != 0xFFECECECu;
    return ink;
  };
  EXPECT_GT(inkIn(16, 34), 40);  // title
  EXPECT_GT(inkIn(46, 62), 30);  // first line
  EXPECT_GT(inkIn(62, 78), 30);  // second line
  EXPECT_EQ(w.focusRequests(), 1);
  test::saveArtefact("message-box", w.pixels().data(), size.x, size.y, size.x);
}

int gPresented = 0;
MessageBoxAnswer scripted(const char*, const char*, MessageBoxButtons) { return MessageBoxAnswer::kYes; }
std::optional<MessageBoxAnswer> declines(const char*, const char*, MessageBoxButtons) {
  ++gPresented;
  return std::nullopt;
}
std::optional<MessageBoxAnswer> answersYes(const char*, const char*, MessageBoxButtons) {
  ++gPresented;
  return MessageBoxAnswer::kYes;
}

TEST(MessageWindow, HandlerComesFirstThenThePresenterThenStandardError) {
  platform::setMessageBoxPresenter(&answersYes);
  EXPECT_EQ(platform::showMessageBox("t", "x", MessageBoxButtons::kYesNo), MessageBoxAnswer::kYes);
  EXPECT_EQ(gPresented, 1);
  platform::setMessageBoxHandler(&scripted);
  platform::setMessageBoxPresenter(&declines);
  EXPECT_EQ(platform::showMessageBox("t", "x", MessageBoxButtons::kYesNo), MessageBoxAnswer::kYes);
  EXPECT_EQ(gPresented, 1);  // the handler answered; the presenter was not asked
  platform::setMessageBoxHandler(nullptr);
  EXPECT_EQ(platform::showMessageBox("t", "x", MessageBoxButtons::kYesNo), MessageBoxAnswer::kNo);
  EXPECT_EQ(gPresented, 2);

  // Without a display the toolkit's presenter declines, and standard error stands in.
  const char* display = getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  EXPECT_EQ(showMessageWindow("t", "x", MessageBoxButtons::kYesNo), std::nullopt);
  installToolkitMessageBoxes();
  EXPECT_EQ(platform::showMessageBox("t", "x", MessageBoxButtons::kOk), MessageBoxAnswer::kOk);
  platform::setMessageBoxPresenter(nullptr);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace tarnwick::gui
