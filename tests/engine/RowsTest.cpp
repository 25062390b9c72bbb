// Key rows and their edit operations: delay quantization and ranges, grain-length steps, keyboard
// mappings, edit modes, key selection, re-application, copy and paste, and the Reset actions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "EngineTestSupport.h"
#include "engine/ParameterText.h"

namespace tarnwick::test {
namespace {

// The quantized range's steps: beats and display texts.
const float kBeats[15] = {0.0f, 0.0208333f, 0.0625f, 0.0833333f, 0.125f, 0.1666667f, 0.25f, 0.3333333f,
                          0.5f, 0.6666667f, 1.0f,    1.3333334f, 2.0f,   2.6666667f, 4.0f};
const char* const kStepTexts[15] = {"skipped", "1/24 ", "1/64 ", "1/12 ", "1/32 ", "1/6 ", "1/16 ", "1/3 ",
                                    "1/8 ",    "2/3 ",  "1/4 ",  "4/3 ",  "1/2 ",  "8/3 ", "1/1 "};

std::string delayText(Engine& e, int index) {
  char t[16] = {};
  parameterDisplay(e.state(), index, t);
  return t;
}
std::string delayUnit(Engine& e, int index) {
  char t[16] = {};
  parameterLabel(e.state(), index, t);
  return t;
}

class Rows : public ::testing::Test {
 protected:
  void SetUp() override {
    e.setEditor(&editor);
    bringUp(e, kFrames);
  }
  KeyRow& row(int r) { return e.state().rows[r]; }
  float echoed(int index) {
    float v = -12345.0f;
    editor.last(index, v);
    return v;
  }
  static constexpr int32_t kFrames = 61 * 1000 + 45;
  RecordingEditor editor;
  FakeHostTime clock;
  Engine e{&clock};
};

TEST_F(Rows, MillisecondRangesRaiseShortDelaysToEightPercent) {
  e.setParameter(kDelay01, 0.05f);
  EXPECT_EQ(e.getParameter(kDelay01), 0.08f);
  EXPECT_EQ(row(kMasterRow).delayTime[0], 0.08f);
  EXPECT_EQ(echoed(kDelay01), 0.08f);
  EXPECT_EQ(delayText(e, kDelay01), "16 ");
  EXPECT_EQ(delayUnit(e, kDelay01), "ms");
  e.setParameter(kDelay01, 0.0f);
  EXPECT_EQ(e.getParameter(kDelay01), 0.0f);
  EXPECT_EQ(row(kMasterRow).delayTime[0], 0.0f);
  EXPECT_EQ(delayText(e, kDelay01), "0 ");
  e.setParameter(kDelay01, 0.6f);
  EXPECT_EQ(row(kMasterRow).delayTime[0], 0.6f);
}

TEST_F(Rows, QuantizedRangeStepsBeatsAndTexts) {
  e.setParameter(kDelayRange, 3.0f);
  for (int q = 0; q <= 14; ++q) {
    e.setParameter(kDelay01 + 3, (static_cast<float>(q) + 0.5f) / 14.0f);
    EXPECT_EQ(e.getParameter(kDelay01 + 3), static_cast<float>(q) / 14.0f) << q;
    EXPECT_EQ(echoed(kDelay01 + 3), static_cast<float>(q) / 14.0f) << q;
    EXPECT_EQ(row(kMasterRow).delayTime[3], kBeats[q]) << q;
    EXPECT_EQ(delayText(e, kDelay01 + 3), kStepTexts[q]) << q;
    EXPECT_EQ(delayUnit(e, kDelay01 + 3), "note");
  }
  e.setParameter(kDelay01, 0.5f);
  EXPECT_EQ(e.getParameter(kDelay01), 0.5f);
  EXPECT_EQ(row(kMasterRow).delayTime[0], 0.3333333f);
  EXPECT_EQ(delayText(e, kDelay01), "1/3 ");
  e.setParameter(kDelay01, 0.99f);
  EXPECT_EQ(delayText(e, kDelay01), "8/3 ");
  EXPECT_EQ(row(kMasterRow).delayTime[0], 2.6666667f);
}

TEST_F(Rows, RequantizingAStoredStepNeverChangesIt) {
  e.setParameter(kDelayRange, 3.0f);
  for (int q = 0; q <= 14; ++q) {
    e.setParameter(kDelay01 + 7, static_cast<float>(q) / 14.0f);
    for (int round = 0; round < 50; ++round) {
      e.setParameter(kDelay01 + 7, e.getParameter(kDelay01 + 7));
      ASSERT_EQ(row(kMasterRow).delayTime[7], kBeats[q]) << "step " << q << " round " << round;
      ASSERT_EQ(e.getParameter(kDelay01 + 7), static_cast<float>(q) / 14.0f);
    }
    for (int round = 0; round < 3; ++round) e.setParameter(kDelayRange, 3.0f);  // re-sends every delay
    EXPECT_EQ(row(kMasterRow).delayTime[7], kBeats[q]) << q;
  }
}

TEST_F(Rows, QuantizedValuesOutsideZeroToOneClampToTheTable) {
  e.setParameter(kDelayRange, 3.0f);
  const float inf = std::numeric_limits<float>::infinity();
  for (float v : {1.5f, 5.0f, 1e30f, inf}) {
    e.setParameter(kDelay01, v);
    EXPECT_EQ(e.getParameter(kDelay01), 1.0f) << v;
    EXPECT_EQ(row(kMasterRow).delayTime[0], 4.0f) << v;
  }
  for (float v : {-0.01f, -3.0f, -1e30f, -inf}) {
    e.setParameter(kDelay01, v);
    EXPECT_EQ(e.getParameter(kDelay01), 0.0f) << v;
    EXPECT_EQ(row(kMasterRow).delayTime[0], 0.0f) << v;
  }
}

TEST_F(Rows, SwitchingToTempoQuantizesEveryRowAndBackKeepsTheSteps) {
  // Distinct values in the master row and a few key rows, in and out of the mapping.
  auto fill = [&](int salt) {
    for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, std::fmod(0.031f * static_cast<float>(i + salt), 1.0f));
  };
  fill(0);
  e.setParameter(kEditMode, 1.0f);  // Single Key Edit Mode
  for (int key : {0, 36, 50, 96, 127}) {
    e.selectKey(key);
    fill(key);
  }
  float before[kRowCount][32];
  for (int r = 0; r < kRowCount; ++r) std::memcpy(before[r], row(r).delayValue, sizeof before[r]);

  e.setParameter(kDelayRange, 3.0f);
  int steps[kRowCount][32];
  for (int r = 0; r < kRowCount; ++r) {
    for (int i = 0; i < 32; ++i) {
      const int q = static_cast<int>(14.0f * before[r][i]);
      steps[r][i] = q;
      ASSERT_EQ(row(r).delayValue[i], static_cast<float>(q) / 14.0f) << "row " << r << " grain " << i;
      ASSERT_EQ(row(r).delayTime[i], kBeats[q]) << "row " << r << " grain " << i;
    }
  }

  e.setParameter(kDelayRange, 0.0f);
  for (int r = 0; r < kRowCount; ++r) {
    for (int i = 0; i < 32; ++i) {
      const int q = steps[r][i];
      const float expected = q == 1 ? 0.08f : static_cast<float>(q) / 14.0f;
      ASSERT_EQ(row(r).delayValue[i], expected) << "row " << r << " grain " << i;
      ASSERT_EQ(row(r).delayTime[i], expected) << "row " << r << " grain " << i;
    }
  }
}

TEST_F(Rows, KeyboardMappingsAndOutOfTableValues) {
  struct Expect {
    int count, low, high;
  };
  const Expect table[7] = {{128, 0, 127}, {88, 21, 108}, {76, 28, 103}, {61, 36, 96},
                           {49, 36, 84},  {37, 48, 84},  {25, 48, 72}};
  e.setParameter(kEditMode, 1.0f);  // Single Key Edit Mode: the mapping selects its lowest key
  for (int m = 0; m < 7; ++m) {
    e.setParameter(kKeyMapping, static_cast<float>(m));
    EXPECT_EQ(e.state().keyCount, table[m].count) << m;
    EXPECT_EQ(e.state().lowKey, table[m].low) << m;
    EXPECT_EQ(e.state().highKey, table[m].high) << m;
    EXPECT_EQ(e.state().editRow, table[m].low) << m;
    EXPECT_EQ(e.getParameter(kKeyMapping), static_cast<float>(m));
    EXPECT_EQ(row(60).grainLength, static_cast<int32_t>(static_cast<float>(kFrames) / table[m].count)) << m;
  }
  e.setParameter(kKeyMapping, 6.9f);  // truncates to 6
  EXPECT_EQ(e.state().keyCount, 25);

  e.setParameter(kKeyMapping, 4.0f);
  for (float v : {7.0f, -1.0f, 100.0f}) {
    send(e, {noteOn(50, 100, 0)});
    e.selectKey(60);
    e.setParameter(kKeyMapping, v);
    EXPECT_EQ(e.state().keyCount, 49) << v;
    EXPECT_EQ(e.state().lowKey, 36) << v;
    EXPECT_EQ(e.state().highKey, 84) << v;
    EXPECT_EQ(e.getParameter(kKeyMapping), 4.0f) << "a value that names no entry is not stored";
    EXPECT_EQ(e.voice(50).keyState, kIdle) << "silenced";
    EXPECT_EQ(row(50).grainLength, kFrames / 49) << "re-derived";
    EXPECT_EQ(e.state().editRow, 36) << "re-selected";
  }
}

TEST_F(Rows, MappingInMasterEditModeKeepsTheMasterRow) {
  e.setParameter(kKeyMapping, 6.0f);
  EXPECT_EQ(e.state().lowKey, 48);
  EXPECT_EQ(e.state().highKey, 72);
  EXPECT_EQ(e.state().editRow, kMasterRow);
}

TEST_F(Rows, EditModesStartInMasterAndToggle) {
  EXPECT_EQ(e.getParameter(kEditMode), 1.0f);
  EXPECT_EQ(e.state().editRow, kMasterRow);
  EXPECT_EQ(e.state().lastSelectedKey, 36);
  e.setParameter(kEditMode, 7.0f);  // any value toggles
  EXPECT_EQ(e.getParameter(kEditMode), 0.0f);
  EXPECT_EQ(e.state().editRow, 36);
  e.setParameter(kEditMode, 0.0f);
  EXPECT_EQ(e.getParameter(kEditMode), 1.0f);
  EXPECT_EQ(e.state().editRow, kMasterRow);
}

TEST_F(Rows, ParametersAddressTheEditRowOnly) {
  e.setParameter(kEditMode, 1.0f);
  e.selectKey(40);
  e.setParameter(kRelease, 0.7f);
  e.setParameter(kUnitDura, 0.5f);
  e.selectKey(41);
  EXPECT_EQ(e.getParameter(kRelease), 0.0f);
  e.selectKey(40);
  EXPECT_EQ(e.getParameter(kRelease), 0.7f);
  EXPECT_EQ(e.getParameter(kUnitDura), 0.5f);
  EXPECT_EQ(row(kMasterRow).release, 0.0f);
}

TEST_F(Rows, SelectKeyMovesTheEditRowAndPublishesTheSlice) {
  e.setParameter(kEditMode, 1.0f);
  editor.echoes.clear();
  e.selectKey(40);
  EXPECT_EQ(e.state().editRow, 40);
  EXPECT_EQ(e.state().lastSelectedKey, 40);
  EXPECT_EQ(e.state().keySplitStart, static_cast<float>((kFrames / 61) * 4));
  for (int index = kUnitDura; index <= kDelay32; ++index) {
    float v;
    if (index >= kTrigmode && index <= kBufstart) continue;
    EXPECT_TRUE(editor.last(index, v)) << "the editor hears index " << index;
  }
  e.setParameter(kEditMode, 1.0f);  // back to Master Edit Mode
  e.selectKey(50);
  EXPECT_EQ(e.state().editRow, kMasterRow);
  EXPECT_EQ(e.state().lastSelectedKey, 40);
  EXPECT_EQ(e.state().keySplitStart, 0.0f);
}

TEST_F(Rows, GrainLengthPerStepAt44100And120Bpm) {
  const int32_t beats[8] = {0, 1378, 2756, 5512, 11025, 22050, 44100, 88200};
  for (int step = 1; step <= 7; ++step) {
    e.setParameter(kUnitDura, static_cast<float>(step) / 8.0f);
    EXPECT_EQ(row(kMasterRow).grainLength, beats[step]) << step;
    EXPECT_EQ(e.state().editRowGrainLength, static_cast<float>(beats[step])) << step;
  }
  e.setParameter(kUnitDura, 0.0f);
  EXPECT_EQ(row(kMasterRow).grainLength, static_cast<int32_t>(static_cast<float>(kFrames) / 61.0f));
  e.setParameter(kUnitDura, 1.0f);
  EXPECT_EQ(row(kMasterRow).grainLength, kFrames);
  // Values from outside are brought into 0..1 first: above 1 is fullsize, below 0 the key's slice.
  e.setParameter(kUnitDura, 1.125f);
  EXPECT_EQ(row(kMasterRow).grainLength, kFrames);
  e.setParameter(kUnitDura, -0.2f);
  EXPECT_EQ(row(kMasterRow).grainLength, static_cast<int32_t>(static_cast<float>(kFrames) / 61.0f));
}

TEST(RowsLarge, KeysplitDividesTheFloatFrameCount) {
  // 2^24 + 127 frames is 2^24 + 128 as a float: 131073 per key, not the integer 131072.
  const int32_t frames = 16777216 + 127;
  ChannelPair p;
  p.frameCount = frames;
  p.left.reset(new float[static_cast<size_t>(frames) + 1]());
  p.right.reset(new float[static_cast<size_t>(frames) + 1]());
  Engine e;
  e.replaceBuffer(std::move(p));
  e.resume(44100.0f);
  e.setParameter(kKeyMapping, 0.0f);
  EXPECT_EQ(e.state().rows[kMasterRow].grainLength, 131073);
}

TEST_F(Rows, SilenceAllClearsGrainLengthsUntilRowsAreApplied) {
  for (int r : {0, 40, kMasterRow}) ASSERT_GT(row(r).grainLength, 0);
  e.silenceAll();
  for (int r = 0; r < kRowCount; ++r) ASSERT_EQ(row(r).grainLength, 0) << r;
  e.reapplyRows();
  for (int r = 0; r < kRowCount; ++r) ASSERT_EQ(row(r).grainLength, kFrames / 61) << r;
}

TEST_F(Rows, BeatGrainLengthsFollowTheTempoAtTheNextReapplication) {
  e.setParameter(kDelayRange, 3.0f);
  e.setParameter(kUnitDura, 0.375f);
  ASSERT_EQ(row(kMasterRow).grainLength, 5512);
  clock.tempo = 60.0;
  float l[64], r[64];
  e.render(l, r, 64);
  EXPECT_EQ(e.state().tempo, 60.0);
  EXPECT_EQ(row(kMasterRow).grainLength, 5512) << "not at once";
  e.resume(44100.0f);
  EXPECT_EQ(row(kMasterRow).grainLength, 11025);
}

TEST_F(Rows, ResumeAtANewRateRederivesUnitAndLengths) {
  e.setParameter(kUnitDura, 0.375f);
  e.setParameter(kDelay01, 0.08f);
  e.resume(48000.0f);
  EXPECT_EQ(e.state().delayUnit, 9600.0f);
  EXPECT_EQ(row(kMasterRow).grainLength, 6000);
  EXPECT_EQ(delayText(e, kDelay01), "16 ");
  e.setParameter(kDelayRange, 3.0f);
  EXPECT_EQ(e.state().delayUnit, 24000.0f);
  e.resume(44100.0f);
  EXPECT_EQ(e.state().delayUnit, 22050.0f);
  e.setParameter(kDelayRange, 1.0f);
  e.resume(96000.0f);
  EXPECT_EQ(e.state().delayUnit, 0.4f * 96000.0f);
}

TEST_F(Rows, CopyActsOnTheFallingEdgeOnly) {
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, 0.1f + 0.02f * static_cast<float>(i));
  const float slot1Before = e.state().copyBuffer[1][5];
  e.setParameter(kCopyFirst + 1, 0.0f);  // no press before: nothing
  EXPECT_EQ(e.state().copyBuffer[1][5], slot1Before);
  e.setParameter(kCopyFirst + 1, 0.5f);  // not a full press
  e.setParameter(kCopyFirst + 1, 0.0f);
  EXPECT_EQ(e.state().copyBuffer[1][5], slot1Before);

  e.setParameter(kCopyFirst, 1.0f);
  EXPECT_EQ(e.getParameter(kCopyFirst), 1.0f);
  EXPECT_NE(e.state().copyBuffer[0][5], row(kMasterRow).delayValue[5]) << "not before the release";
  e.setParameter(kCopyFirst, 0.0f);
  EXPECT_EQ(e.getParameter(kCopyFirst), 0.0f);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(e.state().copyBuffer[0][i], row(kMasterRow).delayValue[i]) << i;
}

TEST_F(Rows, CopyTakesTheNormalisedValuesNotTheBeats) {
  e.setParameter(kDelayRange, 3.0f);
  e.setParameter(kDelay01, 0.5f);
  e.setParameter(kCopyFirst + 2, 1.0f);
  e.setParameter(kCopyFirst + 2, 0.0f);
  EXPECT_EQ(e.state().copyBuffer[2][0], 0.5f);
}

TEST_F(Rows, PasteOfSlotNineSkipsEverythingWhenQuantizedAndFloorsOtherwise) {
  e.setParameter(kDelayRange, 3.0f);
  editor.echoes.clear();
  e.setParameter(kPasteFirst + 9, 1.0f);
  e.setParameter(kPasteFirst + 9, 0.0f);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(row(kMasterRow).delayValue[i], 0.0f) << i;
    EXPECT_EQ(row(kMasterRow).delayTime[i], 0.0f) << i;
    float v;
    EXPECT_TRUE(editor.last(kDelay01 + i, v) && v == 0.0f) << "the editor sees the pasted step, grain " << i;
  }
  send(e, {noteOn(50, 100, 0)});
  for (int g = 0; g < 32; ++g) EXPECT_EQ(e.voice(50).schedule.countdown[g], -1);

  e.setParameter(kDelayRange, 0.0f);
  e.setParameter(kPasteFirst + 9, 1.0f);
  e.setParameter(kPasteFirst + 9, 0.0f);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(row(kMasterRow).delayValue[i], 0.08f) << i;

  e.setParameter(kPasteFirst + 7, 1.0f);  // slot 7: every value 1
  e.setParameter(kPasteFirst + 7, 0.0f);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(row(kMasterRow).delayValue[i], 1.0f) << i;
}

TEST_F(Rows, CopyAndPasteIndicesWithoutASlotAreIgnored) {
  float slots[kCopySlots][32];
  std::memcpy(slots, e.state().copyBuffer, sizeof slots);
  float delays[32];
  std::memcpy(delays, row(kMasterRow).delayValue, sizeof delays);
  for (int index = 52; index <= 57; ++index) {
    e.setParameter(index, 1.0f);
    EXPECT_EQ(e.getParameter(index), 0.0f) << index;
    e.setParameter(index, 0.0f);
  }
  for (int index = 68; index <= 73; ++index) {
    e.setParameter(index, 1.0f);
    EXPECT_EQ(e.getParameter(index), 0.0f) << index;
    e.setParameter(index, 0.0f);
  }
  EXPECT_EQ(std::memcmp(slots, e.state().copyBuffer, sizeof slots), 0);
  EXPECT_EQ(std::memcmp(delays, row(kMasterRow).delayValue, sizeof delays), 0);
}

// The factory delay shape as the millisecond ranges apply it (0.079999 raised to 0.08).
const float kFactoryShapeApplied[32] = {0.133801f, 0.147887f, 0.169014f, 0.190139f, 0.204225f, 0.218309f, 0.239436f,
                                        0.274646f, 0.295774f, 0.338028f, 0.373239f, 0.415491f, 0.450704f, 0.478873f,
                                        0.5f,      0.535211f, 0.556338f, 0.577463f, 0.577463f, 0.549295f, 0.478873f,
                                        0.401407f, 0.28169f,  0.190139f, 0.112676f, 0.08f,     0.0f,      0.0f,
                                        0.0f,      0.0f,      0.08f,     0.08f};

TEST_F(Rows, ResetDelaysRestoresEveryRow) {
  e.setParameter(kPasteFirst + 7, 1.0f);
  e.setParameter(kPasteFirst + 7, 0.0f);
  e.setParameter(kEditMode, 1.0f);
  for (int key : {0, 40, 127}) {
    e.selectKey(key);
    e.setParameter(kPasteFirst + 8, 1.0f);
    e.setParameter(kPasteFirst + 8, 0.0f);
  }
  e.setParameter(kResetAction, 0.0f);
  EXPECT_EQ(e.getParameter(kResetAction), 0.0f);
  for (int r : {0, 40, 127, kMasterRow}) {
    for (int i = 0; i < 32; ++i) {
      EXPECT_EQ(row(r).delayValue[i], kFactoryShapeApplied[i]) << "row " << r << " grain " << i;
      EXPECT_EQ(row(r).delayTime[i], kFactoryShapeApplied[i]) << "row " << r << " grain " << i;
    }
  }
  e.setParameter(kDelayRange, 3.0f);
  e.setParameter(kResetAction, 0.0f);
  for (int i = 0; i < 32; ++i) {
    const int q = static_cast<int>(14.0f * kFactoryShapeApplied[i]);
    EXPECT_EQ(row(40).delayTime[i], kBeats[q]) << "quantized again, grain " << i;
  }
}

TEST_F(Rows, ResetCopyBufferRestoresTheFactoryShapes) {
  e.state().copyBuffer[7][3] = 0.3f;
  e.state().copyBuffer[0][1] = 0.3f;
  e.setParameter(kResetAction, 1.0f);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(e.state().copyBuffer[7][i], 1.0f);
    EXPECT_EQ(e.state().copyBuffer[8][i], 0.5f);
    EXPECT_EQ(e.state().copyBuffer[9][i], 0.071428f);
  }
  EXPECT_EQ(e.state().copyBuffer[0][1], 1.0f);
  EXPECT_EQ(e.state().copyBuffer[0][7], 0.507041f);
  EXPECT_EQ(e.state().copyBuffer[3][0], 0.133801f);
  EXPECT_EQ(e.state().copyBuffer[2][11], 0.985915f);
  EXPECT_EQ(e.state().copyBuffer[2][12], 0.0f);
}

TEST_F(Rows, ResetOptionsBringsBackTheFactoryRangeAndMapping) {
  e.setParameter(kDelayRange, 2.0f);
  e.setParameter(kKeyMapping, 0.0f);
  e.setParameter(kMorphAlgorithm, 2.0f);
  e.setParameter(kResetAction, 2.0f);
  EXPECT_EQ(e.getParameter(kDelayRange), 0.0f);
  EXPECT_EQ(e.state().delayUnit, 8820.0f);
  EXPECT_EQ(e.state().keyCount, 61);
  EXPECT_EQ(e.getParameter(kMorphAlgorithm), 0.0f);
}

TEST_F(Rows, ResetAllExceptAudioRestoresTheFactoryState) {
  e.setParameter(kMainLevl, 0.9f);
  e.setParameter(kUnitDura, 0.5f);
  e.setParameter(kRelease, 0.4f);
  e.setParameter(kEnvelope, 0.7f);
  e.setParameter(kMove, 1.0f);
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kBufstart, 0.5f);
  e.setParameter(kDelayRange, 2.0f);
  e.setParameter(kKeyMapping, 0.0f);
  e.setParameter(kFlood, 1.0f);
  ASSERT_TRUE(e.state().buffer.floodOn());
  e.state().copyBuffer[8][0] = 0.2f;
  e.setParameter(kResetAction, 3.0f);
  EXPECT_EQ(e.getParameter(kMainLevl), 0.5f);
  EXPECT_EQ(e.getParameter(kUnitDura), 0.0f);
  EXPECT_EQ(e.getParameter(kRelease), 0.0f);
  EXPECT_EQ(e.getParameter(kEnvelope), 0.05f);
  EXPECT_EQ(e.getParameter(kMove), 0.0f);
  EXPECT_EQ(e.getParameter(kTrigmode), 0.0f);
  EXPECT_EQ(e.getParameter(kBufstart), 0.0f);
  EXPECT_EQ(e.getParameter(kDelayRange), 0.0f);
  EXPECT_EQ(e.state().keyCount, 61);
  EXPECT_EQ(e.getParameter(kFlood), 0.0f);
  EXPECT_FALSE(e.state().buffer.floodOn());
  EXPECT_EQ(e.state().copyBuffer[8][0], 0.5f);
  EXPECT_EQ(row(50).release, 0.0f);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(row(kMasterRow).delayValue[i], kFactoryShapeApplied[i]) << i;
  EXPECT_EQ(e.state().editRow, kMasterRow);
}

TEST_F(Rows, ResetOutsideTheTableOnlySilencesAndRederives) {
  e.setParameter(kDelay01, 0.9f);
  e.state().copyBuffer[8][0] = 0.2f;
  send(e, {noteOn(50, 100, 0)});
  for (float v : {4.0f, -1.0f, 3.99e9f}) {
    const float stored = e.getParameter(kResetAction);
    e.setParameter(kResetAction, v);
    EXPECT_EQ(e.getParameter(kResetAction), stored) << "a value that names no entry is not stored";
    EXPECT_EQ(e.getParameter(kDelay01), 0.9f);
    EXPECT_EQ(e.state().copyBuffer[8][0], 0.2f);
    EXPECT_EQ(e.voice(50).keyState, kIdle);
    EXPECT_GT(row(kMasterRow).grainLength, 0);
  }
}

}  // namespace
}  // namespace tarnwick::test
