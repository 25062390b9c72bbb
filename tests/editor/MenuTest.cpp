// The option menus: the main menu with its five submenus and their check marks, the bank menu, the scale.
#include <cstring>
#include <filesystem>

#include "platform/Registry.h"
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
  EXPECT_EQ(entries(main), (std::vector<std::string>{"Delay fader range", "Keyboard mapping", "Morph Algorithm",
                                                     "Scale", "-", "Reset", "-", "About"}));
  EXPECT_EQ(main->getSubMenu(0), c().delayRange);
  EXPECT_EQ(main->getSubMenu(1), c().keyMapping);
  EXPECT_EQ(main->getSubMenu(2), c().morphAlgorithm);
  EXPECT_EQ(main->getSubMenu(3), c().scale);
  EXPECT_EQ(main->getSubMenu(5), c().reset);
  EXPECT_TRUE(main->isSeparator(4));
  EXPECT_TRUE(main->isSeparator(6));
  EXPECT_EQ(entries(c().scale), (std::vector<std::string>{"Auto", "100%", "150%", "200%"}));
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

namespace tarnwick::test {
namespace {

// The scale menu: the window takes the chosen scale at the next idle, the host hears its new size, and the
// choice is remembered in the registry for the next editor; Auto goes back to the host's scale.
TEST_F(EditorFixture, ScaleMenuResizesTheWindowAndRemembersTheChoice) {
  const std::filesystem::path hive = std::filesystem::temp_directory_path() / "tarnwick-scale-hive";
  std::filesystem::remove_all(hive);
  std::filesystem::create_directories(hive / "Software" / "Pemberlo Audio" / "Tarnwick");
  platform::setRegistryRootForTesting(hive.string().c_str());
  openEditor();
  ASSERT_EQ(window->width(), 554);
  c().scale->setValue(3.0f);  // "200%", as the popup picks it
  editor->valueChanged(nullptr, c().scale);
  editor->idle();
  EXPECT_EQ(window->width(), 1108);
  EXPECT_EQ(window->height(), 712);
  EXPECT_EQ(host.sizes, (std::vector<std::pair<int32_t, int32_t>>{{1108, 712}}));
  gui::EditorRect* rect = nullptr;
  ASSERT_TRUE(editor->getRect(&rect));
  EXPECT_EQ(rect->right, 1108);
  // A click at twice a button's coordinates reaches it.
  click(2 * 330, 2 * 46);
  EXPECT_EQ(host.values[5], 1.0f);

  ADEditor later(&host, &model, &actions);
  EXPECT_EQ(later.chosenScale(), 4);
  editor->setHostScale(1.5);
  editor->chooseScale(0);  // Auto: the host's scale
  editor->idle();
  EXPECT_EQ(window->width(), 831);
  EXPECT_EQ(host.sizes.back(), (std::pair<int32_t, int32_t>{831, 534}));
  platform::setRegistryRootForTesting(nullptr);
  std::filesystem::remove_all(hive);
}

}  // namespace
}  // namespace tarnwick::test
