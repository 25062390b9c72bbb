// The flooded buffer: one key's slice spread over the keyboard a semitone per key, its failure
// codes, switching on twice, switching off, clipped reads and writes and the zero guard sample.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"

namespace tarnwick::test {
namespace {

constexpr float kSemitone = 1.0594631f;

// What slice i of a flood from source frames [start, start + L) holds at frame j, with the read
// position accumulated in single precision.
std::vector<float> expectedSlice(int channel, int32_t start, int32_t L, float ratio, int32_t frames) {
  std::vector<float> out(static_cast<size_t>(L), 0.0f);
  const int32_t n = ratio > 1.0f ? static_cast<int32_t>(static_cast<float>(L) / ratio) : L;
  float p = 0.0f;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t k = static_cast<int32_t>(p);
    const float f = p - static_cast<float>(k);
    const int32_t a = start + k;
    const float u0 = a < frames ? sampleValue(channel, a) : 0.0f;
    const float u1 = a + 1 < frames ? sampleValue(channel, a + 1) : 0.0f;
    out[static_cast<size_t>(j)] = f == 0.0f ? u0 : u0 + (u1 - u0) * f;
    p += ratio;
  }
  return out;
}

class Flood : public ::testing::Test {
 protected:
  void SetUp() override {
    e.setEditor(&editor);
    bringUp(e, kFrames);
    e.setParameter(kKeyMapping, 0.0f);  // 128 keys of 1000 frames; the source key stays 36
  }
  const BufferView& buffer() { return e.state().buffer; }
  static constexpr int32_t kFrames = 128 * 1000;
  RecordingEditor editor;
  FakeHostTime clock;
  Engine e{&clock};
};

TEST_F(Flood, CentreSliceIsAnUntransposedCopyAndTheNextIsASemitoneUp) {
  ASSERT_EQ(e.state().lastSelectedKey, 36);
  e.setParameter(kFlood, 1.0f);
  ASSERT_EQ(e.getParameter(kFlood), 1.0f);
  ASSERT_NE(buffer().left, buffer().storedLeft());
  const float* l = buffer().left;
  const float* r = buffer().right;
  const int32_t source = 36 * 1000;
  for (int32_t j = 0; j < 1000; ++j) {
    ASSERT_EQ(l[64000 + j], sampleValue(0, source + j)) << j;
    ASSERT_EQ(r[64000 + j], sampleValue(1, source + j)) << j;
  }
  const std::vector<float> up = expectedSlice(0, source, 1000, kSemitone, kFrames);
  int zeros = 0;
  for (int32_t j = 0; j < 1000; ++j) {
    EXPECT_NEAR(l[65000 + j], up[static_cast<size_t>(j)], 1e-6f) << j;
    if (j >= 943) zeros += l[65000 + j] == 0.0f && r[65000 + j] == 0.0f;
  }
  EXPECT_EQ(zeros, 57) << "about 6 % of the raised slice is silent";
  EXPECT_NE(l[65942], 0.0f);
}

TEST_F(Flood, EverySliceIsTransposedBySemitonesFromTheCentre) {
  e.setParameter(kFlood, 1.0f);
  const float* l = buffer().left;
  for (int i = 0; i < 128; ++i) {
    const float ratio = static_cast<float>(std::pow(static_cast<double>(kSemitone), i - 64));
    const std::vector<float> want = expectedSlice(0, 36000, 1000, ratio, kFrames);
    int32_t lastNonZero = -1;
    for (int32_t j = 0; j < 1000; ++j) {
      // Rounding of the ratio moves late read positions slightly; noise slopes stay below 2.
      ASSERT_NEAR(l[i * 1000 + j], want[static_cast<size_t>(j)], 2e-3f) << "slice " << i << " frame " << j;
      if (l[i * 1000 + j] != 0.0f) lastNonZero = j;
    }
    const int32_t n = ratio > 1.0f ? static_cast<int32_t>(1000.0f / ratio) : 1000;
    EXPECT_NEAR(lastNonZero + 1, n, 1) << "slice " << i;
  }
}

TEST_F(Flood, StoredArraysAreNeverWrittenAndComeBackWhenSwitchedOff) {
  const float* storedLeft = buffer().storedLeft();
  const float* storedRight = buffer().storedRight();
  e.setParameter(kFlood, 1.0f);
  const float* flooded = buffer().left;
  e.setParameter(kFlood, 1.0f);  // switching on again is ignored
  EXPECT_EQ(buffer().left, flooded);
  EXPECT_EQ(e.getParameter(kFlood), 1.0f);
  e.setParameter(kFlood, 0.0f);
  EXPECT_EQ(e.getParameter(kFlood), 0.0f);
  EXPECT_EQ(buffer().left, storedLeft);
  EXPECT_EQ(buffer().right, storedRight);
  for (int32_t i = 0; i < kFrames; ++i) {
    ASSERT_EQ(storedLeft[i], sampleValue(0, i)) << i;
    ASSERT_EQ(storedRight[i], sampleValue(1, i)) << i;
  }
  e.setParameter(kFlood, 0.0f);  // off while off: nothing to restore
  EXPECT_EQ(buffer().left, storedLeft);
}

TEST_F(Flood, FloodedArraysEndWithAZeroGuardSample) {
  e.setParameter(kFlood, 1.0f);
  EXPECT_EQ(buffer().left[kFrames], 0.0f);
  EXPECT_EQ(buffer().right[kFrames], 0.0f);
}

TEST_F(Flood, NoRecordingFailsWithCodeOne) {
  RecordingEditor ed;
  Engine empty;
  empty.setEditor(&ed);
  empty.resume(44100.0f);
  EXPECT_EQ(empty.flood(1.0f), 1);
  empty.setParameter(kFlood, 1.0f);
  EXPECT_EQ(empty.getParameter(kFlood), 0.0f);
  float v = -1.0f;
  ASSERT_TRUE(ed.last(kFlood, v));
  EXPECT_EQ(v, 0.0f) << "the editor's switch is set back to off";
}

TEST_F(Flood, FullsizePlayRowFailsWithCodeTwo) {
  e.setParameter(kUnitDura, 1.0f);  // the master row
  send(e, {noteOn(60, 100, 0)});    // makes the master row the play row
  ASSERT_EQ(e.state().playRow, kMasterRow);
  EXPECT_EQ(e.flood(1.0f), 2);
  EXPECT_FALSE(buffer().floodOn());
  e.setParameter(kFlood, 1.0f);
  EXPECT_EQ(e.getParameter(kFlood), 0.0f);
  float v = -1.0f;
  ASSERT_TRUE(editor.last(kFlood, v));
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(buffer().left, buffer().storedLeft());
}

TEST(FloodBounds, BeatGrainLongerThanTheSliceIsClippedToTheBuffer) {
  // 61 slices of 100 frames; key 96's row plays four beats (88200 samples).
  Engine e;
  bringUp(e, 61 * 100);
  e.setParameter(kEditMode, 1.0f);
  e.selectKey(96);
  e.setParameter(kUnitDura, 0.875f);
  ASSERT_EQ(e.state().rows[96].grainLength, 88200);
  e.setParameter(kFlood, 1.0f);
  ASSERT_EQ(e.getParameter(kFlood), 1.0f);
  const float* l = e.state().buffer.left;
  // Slice 0 (ratio 1/semitone^30) covers the whole buffer and reads on past the recording's end.
  const float ratio = static_cast<float>(std::pow(static_cast<double>(kSemitone), -30));
  const std::vector<float> want = expectedSlice(0, 6000, 6100, ratio, 6100);
  for (int32_t j = 0; j < 6100; ++j) {
    ASSERT_TRUE(std::fabs(l[j]) <= 1.0f) << j;
    if (6000.0f + static_cast<float>(j) * ratio < 6098.0f) {
      ASSERT_NEAR(l[j], want[static_cast<size_t>(j)], 2e-3f) << j;
    }
  }
  EXPECT_EQ(l[6100], 0.0f);
  e.setParameter(kFlood, 0.0f);
  EXPECT_EQ(e.state().buffer.left, e.state().buffer.storedLeft());
}

TEST(FloodBounds, ReplacingTheRecordingSwitchesFloodOff) {
  Engine e;
  bringUp(e, 61 * 100);
  e.setParameter(kFlood, 1.0f);
  ASSERT_TRUE(e.state().buffer.floodOn());
  e.replaceBuffer(makeRecording(500));
  EXPECT_FALSE(e.state().buffer.floodOn());
  EXPECT_EQ(e.state().buffer.left, e.state().buffer.storedLeft());
  EXPECT_EQ(e.state().buffer.frameCount, 500);
}

}  // namespace
}  // namespace tarnwick::test
