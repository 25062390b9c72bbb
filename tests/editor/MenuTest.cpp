// The option menus: the main menu with its four submenus and their check marks, and the bank menu.
#include <cstring>

#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

std::vector<std::string> entries(const COptionMenu* menu) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < menu->getNbEntries(); ++i) out.emplace_back(menu->getEntry(i));
  return out;
}

TEST_F(EditorFixture, MainMenuHoldsTheSubmenusAndAbout) {
  host.values = {{265, 2.0f}, {266, 4.0f}, {268, 1.0f}, {267, 3.0f}};
  openEditor();
  const COptionMenu* main = c().mainMenu;
  EXPECT_EQ(entries(main), (std::vector<std::string>{"Delay fader range", "Keyboard mapping", "Morph Algorithm", "-",
                                                     "Reset", "-", "About"}));
  EXPECT_EQ(main->getSubMenu(0), c().delayRange);
  EXPECT_EQ(main->getSubMenu(1), c().keyMapping);
  EXPECT_EQ(main->getSubMenu(2), c().morphAlgorithm);
  EXPECT_EQ(main->getSubMenu(4), c().reset);
  EXPECT_TRUE(main->isSeparator(3));
  EXPECT_TRUE(main->isSeparator(5));
  EXPECT_EQ(main->getStyle(), kNoTextStyle);

  EXPECT_EQ(entries(c().delayRange), (std::vector<std::string>{" 16ms  ->  200ms", " 32ms  ->  400ms",
                                                               " 80ms  ->  1sec", " quantized to tempo"}));
  EXPECT_EQ(entries(c().keyMapping),
            (std::vector<std::string>{" 128 keys - map from C-2 to G8 ", "  88 keys - map from A-1 to C7",
                                      "  76 keys - map from E0 to G6", "  61 keys - map from C1 to C6",
                                      "  49 keys - map from C1 to C5", "  37 keys - map from C2 to C5",
                                      "  25 keys - map from C2 to C4"}));
  EXPECT_EQ(entries(c().morphAlgorithm),
            (std::vector<std::string>{"1 - a/b weighted copy", "2 - a/b linear copy", "3 - equally distributed"}));
  EXPECT_EQ(entries(c().reset),
            (std::vector<std::string>{" Delay values", " Copybuffer", " Options", " All except audiobuffer"}));
  EXPECT_EQ(c().delayRange->getStyle(), 0x1400);
  EXPECT_EQ(c().reset->getStyle(), 0x1000);
  // Check marks at the instrument's values; Reset shows none.
  EXPECT_TRUE(c().delayRange->isCheckEntry(2));
  EXPECT_FALSE(c().delayRange->isCheckEntry(0));
  EXPECT_TRUE(c().keyMapping->isCheckEntry(4));
  EXPECT_TRUE(c().morphAlgorithm->isCheckEntry(1));
  EXPECT_EQ(c().reset->getValue(), 3.0f);
  EXPECT_FALSE(c().reset->isCheckEntry(3));
}

TEST_F(EditorFixture, BankMenuHasOneEntryPerRecentFileCutTo72Characters) {
  const std::string exact(72, 'a');
  const std::string longer = "/x" + std::string(71, 'b') + "c";  // 74 characters
  model.recent[0] = exact;
  model.recent[1] = longer;
  model.recent[2] = "/banks/one.vlb";
  model.recent[7] = "/banks/seven.vlb";  // after a gap
  openEditor();
  const COptionMenu* bank = c().bankMenu;
  ASSERT_EQ(bank->getNbEntries(), 6);
  EXPECT_STREQ(bank->getEntry(0), "Load .VLB program bank");
  EXPECT_TRUE(bank->isSeparator(1));
  EXPECT_EQ(std::string(bank->getEntry(2)), exact);
  EXPECT_EQ(std::string(bank->getEntry(3)), "..." + longer.substr(2));
  EXPECT_EQ(std::string(bank->getEntry(3)).size(), 75u);
  EXPECT_STREQ(bank->getEntry(4), "/banks/one.vlb");
  EXPECT_STREQ(bank->getEntry(5), "/banks/seven.vlb");
  EXPECT_EQ(bank->getStyle(), kNoTextStyle);
  // Each entry loads the file it shows.
  c().bankMenu->setValue(5.0f);
  editor->valueChanged(editor->getFrame()->getDrawContext(), c().bankMenu);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"load /banks/seven.vlb"}));

  // Without recent files the dialog's entry stands alone.
  editor->close();
  for (std::string& r : model.recent) r.clear();
  openEditor();
  ASSERT_EQ(c().bankMenu->getNbEntries(), 1);
}

TEST(RecentFileMenuText, KeepsShortPathsAndTheTailOfLongOnes) {
  char out[80];
  recentFileMenuText("", out);
  EXPECT_STREQ(out, "");
  recentFileMenuText(nullptr, out);
  EXPECT_STREQ(out, "");
  const std::string p73 = "Z" + std::string(72, 'q');
  recentFileMenuText(p73.c_str(), out);
  EXPECT_EQ(std::string(out), "..." + std::string(72, 'q'));
  const std::string p1023(1023, 'k');
  recentFileMenuText(p1023.c_str(), out);
  EXPECT_EQ(std::strlen(out), 75u);
}

}  // namespace
}  // namespace tarnwick::test
