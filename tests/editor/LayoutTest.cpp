// The window's layout: every control in table order with its rectangle, tag and bitmaps, handles placed by
// their values, the key label's texts and colours, and the level meter's LEDs, all checked in pixels.
#include <cmath>

#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

using namespace layout;

int32_t backgroundId(const CView* view) { return view->getBackground() ? view->getBackground()->getResourceId() : -1; }

TEST_F(EditorFixture, ControlsAreAddedInTableOrderAtTheirRectangles) {
  openEditor();
  CFrame* frame = editor->getFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->getNbViews(), 81);
  gui::EditorRect* rect = nullptr;
  ASSERT_TRUE(editor->getRect(&rect));
  EXPECT_EQ(rect->right, 554);
  EXPECT_EQ(rect->bottom, 356);
  EXPECT_EQ(backgroundId(frame), kBmpBackground);

  EXPECT_EQ(frame->getView(0), c().wave);
  EXPECT_EQ(c().wave->getViewSize(), CRect(13, 62, 543, 118));
  EXPECT_EQ(c().wave->getDisplayIndex(), 41);
  EXPECT_EQ(frame->getView(1), c().bufferStart);
  EXPECT_EQ(c().bufferStart->getViewSize(), CRect(6, 118, 548, 132));
  EXPECT_EQ(c().bufferStart->getTag(), kBufstart);
  EXPECT_EQ(c().bufferStart->getHandle()->getResourceId(), kBmpBufferStartHandle);
  EXPECT_EQ(c().bufferStart->getDefaultValue(), 0.0f);
  EXPECT_EQ(frame->getView(2), c().about);
  EXPECT_EQ(c().about->getDisplayRect(), CRect(0, 0, 554, 354));
  EXPECT_EQ(backgroundId(c().about), kBmpAbout);
  EXPECT_EQ(frame->getView(3), c().status);
  EXPECT_EQ(c().status->getViewSize(), CRect(15, 13, 470, 29));
  EXPECT_STREQ(c().status->getText(), "Tarnwick VSTi V1.0");
  EXPECT_FALSE(c().status->getLabelMouse());
  EXPECT_EQ(frame->getView(4), c().keyLabel);
  EXPECT_TRUE(c().keyLabel->getLabelMouse());
  EXPECT_EQ(frame->getView(5), c().meter);
  EXPECT_EQ(c().meter->getNbLed(), 24);
  EXPECT_FLOAT_EQ(c().meter->getDecreaseStepValue(), 0.03f);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(frame->getView(6 + i), c().bars[i]);
    EXPECT_EQ(c().bars[i]->getViewSize(), CRect(15 + 14 * i, 135, 29 + 14 * i, 284));
    EXPECT_EQ(c().bars[i]->getTag(), 8 + i);
    EXPECT_EQ(c().bars[i]->getDefaultValue(), 1.0f);
    EXPECT_EQ(backgroundId(c().bars[i]), kBmpBarBackground);
  }
  EXPECT_EQ(frame->getView(38), c().overlay);
  EXPECT_EQ(c().overlay->getViewSize(), CRect(15, 135, 463, 284));
  EXPECT_EQ(c().overlay->getTag(), 41);
  EXPECT_EQ(c().overlay->getDefaultValue(), 0.5f);
  for (int j = 0; j < 10; ++j) {
    const int x = 21 + 45 * j;
    EXPECT_EQ(frame->getView(39 + 3 * j), c().copy[j]);
    EXPECT_EQ(c().copy[j]->getViewSize(), CRect(x + 2, 294, x + 15, 311));
    EXPECT_EQ(c().copy[j]->getTag(), 42 + j);
    EXPECT_EQ(c().paste[j]->getViewSize(), CRect(x + 18, 290, x + 31, 307));
    EXPECT_EQ(c().paste[j]->getTag(), 58 + j);
    EXPECT_EQ(c().slots[j]->getViewSize(), CRect(x, 317, x + 32, 339));
    EXPECT_EQ(c().slots[j]->getDisplayIndex(), j);
  }
  EXPECT_EQ(c().release->getViewSize(), CRect(480, 133, 500, 263));
  EXPECT_EQ(c().grainLength->getViewSize(), CRect(504, 133, 524, 263));
  EXPECT_EQ(c().envelope->getViewSize(), CRect(528, 133, 548, 263));
  EXPECT_FLOAT_EQ(c().grainLength->getDefaultValue(), 0.43089432f);
  EXPECT_EQ(c().level->getViewSize(), CRect(471, 292, 517, 337));
  EXPECT_EQ(editor->getKnobMode(), kLinearMode);
  const std::pair<CControl*, std::pair<CRect, int32_t>> topRow[] = {
      {c().loadAudio, {CRect(14, 39, 79, 51), 260}},  {c().move, {CRect(310, 42, 353, 51), 5}},
      {c().morph, {CRect(359, 38, 409, 55), 6}},      {c().bankMenu, {CRect(144, 39, 218, 51), 261}},
      {c().saveBank, {CRect(224, 39, 298, 51), 262}}, {c().flood, {CRect(90, 39, 130, 51), 263}},
      {c().trigger, {CRect(419, 39, 472, 56), 4}},    {c().mainMenu, {CRect(484, 39, 543, 55), 264}}};
  int32_t index = 73;
  for (const auto& [control, expected] : topRow) {
    EXPECT_EQ(frame->getView(index++), control);
    EXPECT_EQ(control->getViewSize(), expected.first);
    EXPECT_EQ(control->getTag(), expected.second);
  }
}

TEST_F(EditorFixture, HandlesSitWhereTheirValuesPutThem) {
  host.values = {{kDelay01 + 5, 0.25f}, {kBufstart, 0.5f}, {kRelease, 0.25f}, {kUnitDura, 0.5f}, {kMainLevl, 1.0f}};
  // The edit row holds the same values (the window refreshes from it at the first idle).
  RowSnapshot& master = model.rows[kMasterRow];
  master.delayValue[5] = 0.25f;
  master.release = 0.25f;
  master.unitDura = 0.5f;
  openEditor();
  // Style top: value 0 at the top of the range, 1 at its bottom.
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 5, 135 + 35)));
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 6, 135)));
  EXPECT_FALSE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 5, 135)));
  EXPECT_TRUE(showsBitmap(*window, kBmpBufferStartHandle, CPoint(6 + 266, 118)));
  EXPECT_TRUE(showsBitmap(*window, kBmpFaderHandle, CPoint(480, 133 + 30)));
  // Grain length and fade have style bottom: value 1 at the top.
  EXPECT_TRUE(showsBitmap(*window, kBmpFaderHandle, CPoint(504, 133 + 61)));
  EXPECT_TRUE(showsBitmap(*window, kBmpFaderHandle, CPoint(528, 256)));
  // Knob at full level: 270 degrees clockwise from lower left, radius 23 - 7 around the centre.
  auto knobHandleAt = [](double v) {
    const double angle = 5.0 * M_PI / 4.0 - v * 3.0 * M_PI / 2.0;
    const int cx = static_cast<int>(std::floor(23.0 + std::cos(angle) * 16.0 + 0.5));
    const int cy = static_cast<int>(std::floor(23.0 - std::sin(angle) * 16.0 + 0.5));
    return CPoint(471 + cx - 3, 292 + cy - 5);
  };
  EXPECT_TRUE(showsBitmap(*window, kBmpKnobHandle, knobHandleAt(1.0)));

  // The instrument's echo moves them at the next idle.
  editor->setParameter(kDelay01 + 5, 0.5f);
  editor->setParameter(kMainLevl, 0.5f);
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 5, 135 + 35)));
  idle();
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 5, 135 + 71)));
  EXPECT_TRUE(showsBitmap(*window, kBmpKnobHandle, knobHandleAt(0.5)));
}

// The label text as the toolkit draws it alone on the window background, for comparison.
std::vector<uint32_t> referenceLabel(const char* text, const CColor& colour) {
  auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
  platform::OffscreenWindow* window = w.get();
  auto* frame = new CFrame(CRect(0, 0, 554, 356), std::move(w), nullptr);
  auto* background = new CBitmap(kBmpBackground);
  frame->setBackground(background);
  background->forget();
  auto* label = new CLabel(kKeyLabelRect, nullptr, text);
  label->setFont(kNormalFontBig);
  label->setTxtFace(kBoldFace);
  label->setFontColor(colour);
  label->setTransparency(true);
  frame->addView(label);
  frame->idle();
  std::vector<uint32_t> pixels = pixelsIn(*window, kKeyLabelRect);
  frame->forget();
  return pixels;
}

TEST_F(EditorFixture, KeyLabelShowsMasterInRedAndNoteNamesInBlack) {
  openEditor();
  EXPECT_STREQ(c().keyLabel->getText(), "MASTER");
  EXPECT_EQ(pixelsIn(*window, kKeyLabelRect), referenceLabel("MASTER", kMasterKeyColour));
  EXPECT_GT(countColour(*window, kKeyLabelRect, kMasterKeyColour), 20);

  model.live.editRow = 60;
  idle();
  EXPECT_STREQ(c().keyLabel->getText(), "C 3");
  EXPECT_EQ(pixelsIn(*window, kKeyLabelRect), referenceLabel("C 3", kBlackCColor));
  EXPECT_EQ(countColour(*window, kKeyLabelRect, kMasterKeyColour), 0);
  EXPECT_NE(referenceLabel("C 3", kBlackCColor), referenceLabel("C#3", kBlackCColor));
}

double gMeterSeconds = 0.0;
double meterSeconds() { return gMeterSeconds; }

TEST_F(EditorFixture, MeterLightsTheLedsOfThePeakAndFallsBack) {
  openEditor();
  editor->setMeterClock(meterSeconds);
  model.peak = 0.5f;
  idle();
  EXPECT_EQ(model.peak, 0.0f);  // read and cleared
  ASSERT_EQ(c().meter->getLitLeds(), 12);
  // 12 of 24 LEDs: the upper 28 rows off, the lower 28 on.
  EXPECT_TRUE(showsBitmap(*window, kBmpMeterOff, CPoint(526, 287), CRect(0, 0, 16, 28)));
  EXPECT_TRUE(showsBitmap(*window, kBmpMeterOn, CPoint(526, 287 + 28), CRect(0, 28, 16, 56)));
  EXPECT_FALSE(showsBitmap(*window, kBmpMeterOn, CPoint(526, 287), CRect(0, 0, 16, 28)));

  gMeterSeconds += 0.05;
  idle();  // no new peak: down by 0.6 per second, also when the host's idle comes seldom or often
  EXPECT_FLOAT_EQ(c().meter->getShownValue(), 0.47f);
  EXPECT_EQ(c().meter->getLitLeds(), 11);
  EXPECT_TRUE(showsBitmap(*window, kBmpMeterOff, CPoint(526, 287), CRect(0, 0, 16, 30)));

  model.peak = 3.0f;  // an unclipped output lights them all
  idle();
  EXPECT_EQ(c().meter->getLitLeds(), 24);
  EXPECT_TRUE(showsBitmap(*window, kBmpMeterOn, CPoint(526, 287)));
}

}  // namespace
}  // namespace tarnwick::test
