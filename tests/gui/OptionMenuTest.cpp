// Option menus: entries, separators, submenus, styles and check marks, and the popup driven by the mouse.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/OptionMenuPopup.h"

namespace tarnwick::gui {
namespace {

using Changes = std::vector<std::pair<int32_t, float>>;
constexpr uint32_t kHoverArgb = 0xFF3366CCu;

TEST(OptionMenu, StyleBitsAddUpAsTheEditorExpects) {
  EXPECT_EQ(kNoDrawStyle, 0x1000);
  EXPECT_EQ(kNoDrawStyle | kCheckStyle, 0x1400);
  EXPECT_EQ(kNoTextStyle & (kNoDrawStyle | kCheckStyle), 0);
}

TEST(OptionMenu, EntriesAreAppendedInsertedAndRemovedByIndex) {
  COptionMenu* menu = new COptionMenu(CRect(0, 0, 74, 12), nullptr, 261);
  menu->addEntry("Load .VLB program bank");
  menu->addSeparator();
  for (int i = 0; i < 20; ++i) menu->addEntry(("recent " + std::to_string(i)).c_str());
  EXPECT_EQ(menu->getNbEntries(), 22);
  EXPECT_TRUE(menu->isSeparator(1));
  EXPECT_FALSE(menu->isSeparator(0));
  // A new recent file: the oldest goes, the newest comes first after the separator.
  EXPECT_TRUE(menu->removeEntry(21));
  EXPECT_TRUE(menu->addEntry("newest", 2));
  EXPECT_EQ(menu->getNbEntries(), 22);
  EXPECT_STREQ(menu->getEntry(2), "newest");
  EXPECT_STREQ(menu->getEntry(3), "recent 0");
  EXPECT_STREQ(menu->getEntry(21), "recent 18");
  EXPECT_TRUE(menu->addEntry("appended", 99));
  EXPECT_STREQ(menu->getEntry(22), "appended");
  EXPECT_FALSE(menu->removeEntry(23));
  EXPECT_FALSE(menu->removeEntry(-1));
  EXPECT_EQ(menu->getEntry(23), nullptr);
  EXPECT_FALSE(menu->addEntry(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(menu->setEntry(0, "Load"));
  EXPECT_STREQ(menu->getEntry(0), "Load");

  // The value is the selected index; values without an entry are ignored.
  menu->setValue(3.0f);
  EXPECT_EQ(menu->getCurrent(), 3);
  EXPECT_EQ(menu->getValue(), 3.0f);
  menu->setValue(40.0f);
  menu->setValue(-1.0f);
  menu->setValue(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(menu->getCurrent(), 3);
  menu->setValue(2.9f);  // truncated
  EXPECT_EQ(menu->getCurrent(), 2);
  menu->forget();
}

TEST(OptionMenu, SubmenusAreSharedAndCheckMarksFollowTheStyle) {
  auto* range = new COptionMenu(CRect(), nullptr, 265, nullptr, nullptr, kNoDrawStyle | kCheckStyle);
  auto* reset = new COptionMenu(CRect(), nullptr, 267, nullptr, nullptr, kNoDrawStyle);
  for (const char* t : {" 16ms  ->  200ms", " 32ms  ->  400ms", " 80ms  ->  1sec", " quantized to tempo"})
    range->addEntry(t);
  for (const char* t : {" Delay values", " Copybuffer", " Options", " All except audiobuffer"}) reset->addEntry(t);
  auto* main = new COptionMenu(CRect(484, 39, 543, 55), nullptr, 264);
  main->addEntry(range, "Delay fader range");
  main->addSeparator();
  main->addEntry(reset, "Reset");
  EXPECT_EQ(range->getNbReference(), 2);
  EXPECT_EQ(main->getSubMenu(0), range);
  EXPECT_STREQ(main->getEntry(0), "Delay fader range");
  EXPECT_EQ(main->getSubMenu(1), nullptr);
  EXPECT_FALSE(main->isSeparator(0));

  range->setValue(2.0f);
  EXPECT_TRUE(range->isCheckEntry(2));
  EXPECT_FALSE(range->isCheckEntry(1));
  reset->setValue(2.0f);
  EXPECT_FALSE(reset->isCheckEntry(2));
  reset->checkEntry(1, true);
  EXPECT_TRUE(reset->isCheckEntry(1));

  main->removeEntry(2);
  EXPECT_EQ(reset->getNbReference(), 1);
  reset->forget();
  main->forget();  // lets go of the range menu too
  EXPECT_EQ(range->getNbReference(), 1);
  range->forget();
}

struct PopupFixture : ::testing::Test {
  test::RecordingHost host;
  test::TestEditor editor{&host};
  test::RecordingListener listener;
  COptionMenu* main = nullptr;
  COptionMenu* mapping = nullptr;

  void SetUp() override {
    mapping = new COptionMenu(CRect(), &listener, 266, nullptr, nullptr, kNoDrawStyle | kCheckStyle);
    for (const char* t : {" 128 keys", "  88 keys", "  76 keys", "  61 keys"}) mapping->addEntry(t);
    mapping->setValue(1.0f);
    CBitmap* face = test::solidBitmap(59, 16, 0xFF405060u);
    main = new COptionMenu(CRect(484, 39, 543, 55), &listener, 264, face, nullptr, kNoTextStyle);
    face->forget();
    main->addEntry(mapping, "Keyboard mapping");
    main->addSeparator();
    main->addEntry("About");
    main->setTransparency(true);
    editor.getFrame()->addView(main);
    editor.idle();
  }
  void TearDown() override { mapping->forget(); }

  // Window y of the middle of a root entry (the list opens under the control at y = 55).
  static CCoord rootRow(const COptionMenu* menu, int32_t index) { return 55 + popupRowTop(menu, index) + 8; }
  void queue(CCoord x, CCoord y, int32_t buttons) { editor.window().queueMouse(x, y, buttons); }
};

TEST_F(PopupFixture, ClickOpensTheListAndAClickOnAnEntryPicksIt) {
  queue(500, 45, kLButton);  // open
  queue(500, 45, 0);         // releasing on the control keeps the list open
  queue(500, rootRow(main, 2), 0);
  queue(500, rootRow(main, 2), kLButton);
  queue(500, rootRow(main, 2), 0);
  editor.idle();
  EXPECT_EQ(main->getValue(), 2.0f);
  EXPECT_EQ(listener.changes, (Changes{{264, 2.0f}}));
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 264", "end 264"}));
  EXPECT_EQ(editor.window().popupCount(), 0u);
  EXPECT_EQ(editor.window().mostPopups(), 1u);
  int32_t index = -1;
  EXPECT_EQ(main->getLastItemMenu(index), main);
  EXPECT_EQ(index, 2);
}

TEST_F(PopupFixture, HoverHighlightsTheRowAndTheReleaseOfTheOpeningPressPicksNothing) {
  uint32_t hovered = 0, other = 0;
  size_t open = 0;
  host.onIdle = [&] {
    const platform::OffscreenWindow& w = editor.window();
    if (w.popupCount() == 0) return;
    open = std::max(open, w.popupCount());
    const auto& list = w.popup(0);
    const platform::MouseState m = w.mouseState();
    if (m.y == rootRow(main, 2)) {  // the last look before the release counts
      hovered = list.pixel(3, popupRowTop(main, 2) + 1);
      other = list.pixel(3, popupRowTop(main, 0) + 1);
      test::saveArtefact("menu-root", list.pixels.data(), list.width, list.height, list.width);
    }
  };
  queue(500, 45, kLButton);
  queue(500, rootRow(main, 2), kLButton);
  queue(500, rootRow(main, 2), kLButton);
  queue(500, rootRow(main, 2), 0);
  queue(500, rootRow(main, 2), 0);
  editor.idle();
  EXPECT_EQ(hovered, kHoverArgb);
  EXPECT_NE(other, kHoverArgb);
  EXPECT_EQ(open, 1u);
  EXPECT_TRUE(listener.changes.empty());  // the list stayed open until the script ended
  EXPECT_EQ(main->getValue(), 0.0f);
  test::saveArtefact("menu-window", editor.window().pixels().data(), 554, 356, 554);
}

TEST_F(PopupFixture, SubmenuOpensOnHoverAndItsPickGoesToTheSubmenu) {
  main->setValue(2.0f);
  editor.idle();
  std::vector<uint32_t> subPixels;
  int32_t subX = 0, subY = 0, subW = 0;
  host.onIdle = [&] {
    const platform::OffscreenWindow& w = editor.window();
    if (w.popupCount() == 2 && subPixels.empty()) {
      subPixels = w.popup(1).pixels;
      subX = w.popup(1).x;
      subY = w.popup(1).y;
      subW = w.popup(1).width;
      test::saveArtefact("menu-submenu", subPixels.data(), subW, w.popup(1).height, subW);
    }
  };
  queue(500, 45, kLButton);
  queue(500, 45, 0);
  queue(500, rootRow(main, 0), 0);  // hover "Keyboard mapping": the submenu opens beside it
  editor.idle();                    // runs until the script ends, which cancels; the submenu was seen meanwhile
  ASSERT_FALSE(subPixels.empty());
  EXPECT_EQ(subY, 55);
  EXPECT_EQ(editor.window().mostPopups(), 2u);
  EXPECT_EQ(listener.changes, Changes{});

  // Check mark at the current entry (1) in the check column, none at entry 0.
  auto darkIn = [&](int32_t row) {
    int dark = 0;
    for (int32_t y = popupRowTop(mapping, row); y < popupRowTop(mapping, row) + kPopupRowHeight; ++y)
      for (int32_t x = 4; x < 16; ++x) dark += subPixels[static_cast<size_t>(y * subW + x)] == 0xFF000000u;
    return dark;
  };
  EXPECT_GT(darkIn(1), 3);
  EXPECT_EQ(darkIn(0), 0);

  // Now pick entry 3 of the submenu by moving into it and clicking.
  const CCoord x = subX + 30, y = subY + popupRowTop(mapping, 3) + 8;
  queue(500, 45, kLButton);
  queue(500, 45, 0);
  queue(500, rootRow(main, 0), 0);
  queue(x, rootRow(main, 0), 0);
  queue(x, y, 0);
  queue(x, y, kLButton);
  queue(x, y, 0);
  editor.idle();
  EXPECT_EQ(mapping->getValue(), 3.0f);
  EXPECT_EQ(main->getValue(), 2.0f);  // the main menu keeps its own value
  EXPECT_EQ(listener.changes, (Changes{{266, 3.0f}}));
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 266", "end 266"}));
  int32_t index = -1;
  EXPECT_EQ(main->getLastItemMenu(index), mapping);
  EXPECT_EQ(index, 3);
}

// On a screen too small for the list under the control or above it, the list is moved over the control,
// and releasing the click that opened it still picks nothing. At the right edge of the screen a submenu
// opens on the left of its list, never over its entry.
TEST_F(PopupFixture, OnASmallScreenTheOpeningClickPicksNothingAndSubmenusOpenBesideTheirEntry) {
  editor.window().placeOnScreen(400, 0, 1000, 62);  // the control lies at x 884..943, y 39..55 of the screen
  std::vector<platform::OffscreenWindow::Popup> seen;
  host.onIdle = [&] {
    const platform::OffscreenWindow& w = editor.window();
    if (w.popupCount() > seen.size()) seen.push_back(w.popup(seen.size()));
  };
  queue(500, 45, kLButton);
  queue(500, 45, 0);  // released over "About"
  editor.idle();      // runs until the script ends, which cancels
  ASSERT_EQ(seen.size(), 1u);
  const platform::OffscreenWindow::Popup root = seen[0];
  EXPECT_EQ(root.y + root.height, 62);
  EXPECT_EQ(popupRowAt(main, 45 - root.y), 2);
  EXPECT_EQ(root.x + root.width, 1000 - 400);
  EXPECT_TRUE(listener.changes.empty());

  const CCoord entryY = root.y + popupRowTop(main, 0) + 8;
  seen.clear();
  queue(500, 45, kLButton);
  queue(500, 45, 0);
  queue(root.x + 10, entryY, 0);  // hover "Keyboard mapping"
  editor.idle();
  ASSERT_EQ(seen.size(), 2u);
  const platform::OffscreenWindow::Popup* sub = &seen[1];
  EXPECT_EQ(sub->x + sub->width, root.x + 1);  // on the left, sharing the list's border column

  // A click in the submenu picks there.
  const CCoord x = sub->x + 20, y = sub->y + popupRowTop(mapping, 2) + 8;
  queue(500, 45, kLButton);
  queue(500, 45, 0);
  queue(root.x + 10, entryY, 0);
  queue(x, entryY, 0);
  queue(x, y, 0);
  queue(x, y, kLButton);
  queue(x, y, 0);
  editor.idle();
  EXPECT_EQ(listener.changes, (Changes{{266, 2.0f}}));
}

TEST_F(PopupFixture, ClickOutsideOrOnSeparatorsPicksNothing) {
  queue(500, 45, kLButton);
  queue(500, 45, 0);
  queue(500, rootRow(main, 1) - 5, kLButton);  // the separator
  queue(500, rootRow(main, 1) - 5, 0);
  queue(100, 100, 0);
  queue(100, 100, kLButton);  // outside: cancels
  queue(100, 100, 0);
  editor.idle();
  EXPECT_TRUE(listener.changes.empty());
  EXPECT_EQ(main->getValue(), 0.0f);
  EXPECT_EQ(editor.window().popupCount(), 0u);
  EXPECT_EQ(editor.window().queuedMouseStates(), 0u);
  int32_t index = 0;
  EXPECT_EQ(main->getLastItemMenu(index), nullptr);
  EXPECT_EQ(index, -1);
}

TEST_F(PopupFixture, NoDrawMenuLeavesTheWindowAlone) {
  EXPECT_EQ(editor.window().pixel(500, 45), 0xFF405060u);
  auto* hidden = new COptionMenu(CRect(10, 10, 60, 30), &listener, 265, nullptr, nullptr, kNoDrawStyle);
  hidden->addEntry("one");
  editor.getFrame()->addView(hidden);
  editor.idle();
  EXPECT_EQ(editor.window().pixel(20, 20), 0xFF000000u);
  EXPECT_EQ(editor.window().pixel(500, 45), 0xFF405060u);  // no-text: background only
}

}  // namespace
}  // namespace tarnwick::gui
