// Driving the window with the mouse: sliders, knob, buttons, the bar overlay and the labels report
// through the editor to the instrument.
#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

using Writes = std::vector<std::pair<int32_t, float>>;

TEST_F(EditorFixture, SlidersKnobAndButtonsWriteThroughToTheInstrument) {
  openEditor();
  // Buffer start: the handle's centre follows the mouse (delta = 6 + 4 - 1).
  drag({CPoint(100, 125), CPoint(9 + 266, 125)});
  ASSERT_FALSE(host.automated.empty());
  EXPECT_EQ(host.automated.back().first, kBufstart);
  EXPECT_FLOAT_EQ(host.automated.back().second, 266.0f / 533.0f);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 7", "end 7"}));

  host.automated.clear();
  drag({CPoint(490, 200), CPoint(490, 135)});  // release fader (top style) dragged up: towards 0
  ASSERT_FALSE(host.automated.empty());
  EXPECT_EQ(host.automated.back(), (std::pair<int32_t, float>{kRelease, 0.0f}));
  EXPECT_FLOAT_EQ(host.values[kRelease], 0.0f);

  host.automated.clear();
  drag({CPoint(494, 314), CPoint(494, 294)});  // knob, linear: 20 pixels up
  ASSERT_FALSE(host.automated.empty());
  EXPECT_EQ(host.automated.back().first, kMainLevl);
  EXPECT_FLOAT_EQ(host.automated.back().second, 0.1f);

  host.automated.clear();
  click(330, 46);  // move on
  click(100, 45);  // flood on
  EXPECT_EQ(host.automated, (Writes{{kMove, 1.0f}, {kFlood, 1.0f}}));
  EXPECT_EQ(c().move->getValue(), 1.0f);

  host.plain.clear();
  click(21 + 45 * 2 + 8, 300);   // copy button of slot 2: press and release
  click(21 + 45 * 2 + 24, 298);  // paste button of slot 2
  EXPECT_EQ(host.plain, (Writes{{44, 1.0f}, {44, 0.0f}, {60, 1.0f}, {60, 0.0f}}));
}

TEST_F(EditorFixture, OverlayDragPaintsTheValueAcrossTheBarsItCrosses) {
  openEditor();
  // delta = 135 + 3 - 1; y = 137 + 71 gives 0.5.
  drag({CPoint(20, 208), CPoint(34, 208), CPoint(48, 208), CPoint(90, 208)});
  Writes expected = {{8, 0.5f}, {9, 0.5f}, {10, 0.5f}, {13, 0.5f}};
  EXPECT_EQ(host.automated, expected);  // bars jumped over keep their values
  EXPECT_EQ(c().bars[1]->getValue(), 0.5f);
  EXPECT_EQ(c().bars[11]->getValue(), 0.0f);
  EXPECT_EQ(c().overlay->getBarIndex(), 5);

  host.automated.clear();
  drag({CPoint(463, 140), CPoint(463, 100)});  // the rightmost pixel column is bar 31; above the area: 0
  EXPECT_EQ(host.automated, (Writes{{39, 3.0f / 142.0f}, {39, 0.0f}}));

  host.automated.clear();
  click(30, 250, kControl | kLButton);  // the overlay's own default 0.5, not the bars' 1.0
  EXPECT_EQ(host.automated, (Writes{{9, 0.5f}}));

  host.automated.clear();
  drag({CPoint(300, 137), CPoint(300, 137 + 142)}, kShift | kLButton);  // fine: 142 pixels make 0.1
  ASSERT_EQ(host.automated.size(), 2u);
  EXPECT_FLOAT_EQ(host.automated[0].second, 0.45f);
  EXPECT_FLOAT_EQ(host.automated[1].second, 0.55f);
}

TEST_F(EditorFixture, KeyLabelSwitchesTheEditModeAndShowsNameOrNumber) {
  openEditor();
  host.values[kEditMode] = 0.0f;
  click(500, 20);
  EXPECT_EQ(host.plain, (Writes{{kEditMode, 1.0f}}));
  EXPECT_STREQ(c().status->getText(), "Master Edit Mode");
  EXPECT_EQ(c().status->getFontColor(), kInfoColour);

  model.live.editRow = 61;
  idle();
  EXPECT_STREQ(c().keyLabel->getText(), "C#3");
  click(500, 20, kRButton);
  EXPECT_STREQ(c().keyLabel->getText(), "61");
  EXPECT_TRUE(c().keyLabel->getShowNumber());
  // A left click shows the name at once; the number comes back with the next row.
  host.values[kEditMode] = 1.0f;
  host.plain.clear();
  click(500, 20);
  EXPECT_STREQ(c().keyLabel->getText(), "C#3");
  EXPECT_STREQ(c().status->getText(), "Master Edit Mode");
  model.live.editRow = 0;
  idle();
  EXPECT_STREQ(c().keyLabel->getText(), "0");
  click(500, 20, kRButton);
  EXPECT_STREQ(c().keyLabel->getText(), "C -2");

  // The status label never reacts.
  host.plain.clear();
  click(100, 20);
  click(100, 20, kRButton);
  EXPECT_TRUE(host.plain.empty());
}

TEST_F(EditorFixture, StatusCodesSetTheColourAndTheirTexts) {
  openEditor();
  editor->showStatus(302);
  EXPECT_STREQ(c().status->getText(), "Single Key Edit Mode");
  EXPECT_EQ(c().status->getFontColor(), kInfoColour);
  editor->showStatus(13);  // no text: only the colour changes
  EXPECT_STREQ(c().status->getText(), "Single Key Edit Mode");
  EXPECT_EQ(c().status->getFontColor(), kErrorColour);
  editor->showStatus(23);
  EXPECT_STREQ(c().status->getText(), "Could not open file.");
  editor->showStatus(0);
  EXPECT_STREQ(c().status->getText(), "nothing to do....");
  EXPECT_EQ(c().status->getFontColor(), kErrorColour);
  idle();
  EXPECT_GT(countColour(*window, layout::kStatusRect, kErrorColour), 20);
  editor->showStatusText("Delay : ", "212", " ms");
  EXPECT_STREQ(c().status->getText(), "Delay : 212 ms");
  idle();
  EXPECT_EQ(countColour(*window, layout::kStatusRect, kErrorColour), 0);
  EXPECT_GT(countColour(*window, layout::kStatusRect, kInfoColour), 20);
}

TEST_F(EditorFixture, ResetSaysWhatItReset) {
  openEditor();
  const std::vector<std::string> lines = {"delay values of all keys reset", "copybuffer reset",
                                          "options reset: delay range, keyboard mapping, morph algorithm",
                                          "all reset except the audiobuffer"};
  for (int32_t entry = 0; entry < 4; ++entry) {
    editor->showStatus(0);
    c().reset->setValue(static_cast<float>(entry));
    editor->valueChanged(editor->getFrame()->getDrawContext(), c().reset);
    EXPECT_EQ(host.plain.back(), (std::pair<int32_t, float>(267, static_cast<float>(entry))));
    EXPECT_EQ(c().status->getText(), lines[static_cast<size_t>(entry)]);
    EXPECT_EQ(c().status->getFontColor(), kInfoColour);
  }
}

TEST_F(EditorFixture, AboutEntryOpensTheAboutScreenUntilClicked) {
  openEditor();
  c().mainMenu->setValue(6.0f);
  editor->valueChanged(editor->getFrame()->getDrawContext(), c().mainMenu);
  EXPECT_EQ(c().about->getValue(), 1.0f);
  EXPECT_EQ(editor->getFrame()->getModalView(), c().about);
  idle();
  EXPECT_TRUE(showsBitmap(*window, layout::kBmpAbout, CPoint(0, 0), CRect(0, 0, 554, 354)));
  click(300, 200);
  EXPECT_EQ(c().about->getValue(), 0.0f);
  EXPECT_EQ(editor->getFrame()->getModalView(), nullptr);
}

}  // namespace
}  // namespace tarnwick::test
