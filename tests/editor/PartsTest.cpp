// The editor's parts on their own: key names, the label's text limit, the wave summary and the displays.
#include <cstring>

#include "editor/KeyNames.h"
#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

std::string name(int32_t k) {
  char out[8] = "unset";
  keyName(k, out);
  return out;
}

std::string number(int32_t k) {
  char out[8] = "unset";
  keyNumberText(k, out);
  return out;
}

TEST(KeyNames, NoteNamesAndNumbers) {
  EXPECT_EQ(name(0), "C -2");
  EXPECT_EQ(name(60), "C 3");
  EXPECT_EQ(name(61), "C#3");
  EXPECT_EQ(name(21), "A -1");
  EXPECT_EQ(name(70), "A#3");
  EXPECT_EQ(name(127), "G 8");
  EXPECT_EQ(name(128), "MASTER");
  EXPECT_EQ(name(-1), "");
  EXPECT_EQ(name(129), "");
  EXPECT_EQ(number(0), "0");
  EXPECT_EQ(number(7), "7");
  EXPECT_EQ(number(128), "128");
  EXPECT_EQ(number(123456), "1234");
  EXPECT_EQ(number(-5), "-5");
}

TEST(Label, TextIsCutTo255CharactersAndNullKeepsIt) {
  CLabel* label = new CLabel(CRect(0, 0, 100, 16), nullptr, std::string(300, 'x').c_str());
  EXPECT_EQ(std::strlen(label->getText()), 255u);
  label->setText("short");
  label->setText(nullptr);
  EXPECT_STREQ(label->getText(), "short");
  label->setKeyTexts("C#3", "61");
  EXPECT_STREQ(label->getNameText(), "C#3");
  EXPECT_STREQ(label->getNumberText(), "61");
  label->forget();
}

TEST(WaveSummary, ColumnsTakeTheSamplesThatFitTheirPixel) {
  constexpr int32_t frames = 176400;
  std::vector<float> left(frames + 1, 0.0f), right(frames + 1, 0.0f);
  left[331] = 0.5f;     // last sample of column 0: 332 samples per column
  left[332] = 0.25f;    // first of column 1
  right[663] = -0.75f;  // last of column 1
  left[frames] = 1.0f;  // the guard sample is never read
  WaveSummary s;
  summariseWave(left.data(), right.data(), frames, static_cast<float>(frames), s);
  ASSERT_TRUE(s.present);
  EXPECT_EQ(s.peakLeft[0], 0.5f);
  EXPECT_EQ(s.peakLeft[1], 0.25f);
  EXPECT_EQ(s.peakRight[1], 0.75f);
  EXPECT_EQ(s.peakRight[2], 0.0f);
  for (float p : s.peakLeft) EXPECT_LT(p, 1.0f);

  // Fewer frames than columns: every column stays empty.
  summariseWave(left.data(), right.data(), 500, 500.0f, s);
  EXPECT_TRUE(s.present);
  for (int x = 0; x < kWaveColumns; ++x) EXPECT_EQ(s.peakLeft[x], 0.0f);
  summariseWave(nullptr, right.data(), frames, static_cast<float>(frames), s);
  EXPECT_FALSE(s.present);
}

TEST_F(EditorFixture, WaveDisplayDrawsTheWaveformAndTheGrainWindow) {
  model.wave.present = true;
  model.wave.length = 1000.0f;
  for (int x = 0; x < kWaveColumns; ++x) model.wave.peakLeft[x] = model.wave.peakRight[x] = 0.5f;
  model.live.keySplitStart = 500.0f;
  model.live.grainLength = 100.0f;
  openEditor();
  EXPECT_EQ(c().wave->getWindowX(), 265);
  EXPECT_EQ(c().wave->getWindowWidth(), 53);
  const CRect& r = layout::kWaveDisplayRect;
  // Grey outline from x = 265, gold one pixel to the right of it.
  EXPECT_EQ(rgb(window->pixel(r.left + 265, r.top + 30)), 0x888888u);
  EXPECT_EQ(rgb(window->pixel(r.left + 266, r.top + 30)), 0xC6A600u);
  // Column 10: red 106; the channels reach 14 pixels up and down from the middle (28).
  EXPECT_EQ(rgb(window->pixel(r.left + 10, r.top + 28)), 0x6A5050u);
  EXPECT_EQ(rgb(window->pixel(r.left + 10, r.top + 13)), 0x4C3C3Cu);
  EXPECT_EQ(rgb(window->pixel(r.left + 10, r.top + 5)), 0x000000u);

  // Only the grain length changes: the window is recomposed without a new summary or waveform.
  const int reads = model.waveReads;
  const int renders = c().wave->getWaveformRenders();
  model.live.grainLength = 200.0f;
  idle();
  EXPECT_EQ(c().wave->getWindowWidth(), 106);
  EXPECT_EQ(model.waveReads, reads);
  EXPECT_EQ(c().wave->getWaveformRenders(), renders);
  EXPECT_EQ(rgb(window->pixel(r.left + 265 + 106, r.top + 30)), 0xC6A600u);

  // No recording: a black field.
  model.wave = WaveSummary{};
  editor->setParameter(251, 1.0f);
  idle();
  EXPECT_EQ(rgb(window->pixel(r.left + 265, r.top + 30)), 0u);
  EXPECT_EQ(rgb(window->pixel(r.left + 100, r.top + 28)), 0u);
}

TEST_F(EditorFixture, SlotDisplaysDrawTheirSlotAsACurve) {
  for (int k = 0; k < kGrainCount; ++k) model.copyBuffer[0][k] = 0.5f;
  model.copyBuffer[1][0] = 0.0f;
  openEditor();
  const CRect r = layout::slotDisplayRect(0);
  // Value 0.5 lies 11 pixels down; segment k is drawn in (60, 62 + 2k, 60), two pixels thick.
  EXPECT_EQ(rgb(window->pixel(r.left + 10, r.top + 11)), rgb(MakeCColor(60, 82, 60).toArgb()));
  EXPECT_EQ(rgb(window->pixel(r.left + 10, r.top + 12)), rgb(MakeCColor(60, 82, 60).toArgb()));
  EXPECT_NE(rgb(window->pixel(r.left + 10, r.top + 14)), rgb(MakeCColor(60, 82, 60).toArgb()));
  // Value 0 lies on the top edge.
  EXPECT_EQ(rgb(window->pixel(layout::slotDisplayRect(1).left, layout::slotDisplayRect(1).top)),
            rgb(MakeCColor(60, 62, 60).toArgb()));
}

}  // namespace
}  // namespace tarnwick::test
