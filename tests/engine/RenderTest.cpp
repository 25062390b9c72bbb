// Render behaviour with hand-worked numbers: grains across block edges, fade gains, release,
// peak metering, silence conditions, loops, tempo refresh and reads kept inside the recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "EngineTestSupport.h"

namespace tarnwick::test {
namespace {

constexpr float kNearly = 1e-6f;

struct RecordingRig {
  explicit RecordingRig(ChannelPair recording) {
    engine.replaceBuffer(std::move(recording));
    engine.resume(44100.0f);
  }
  FakeHostTime clock;
  Engine engine{&clock};
};

// Only grain 0 plays: its successor is a second away and every later bar is skipped.
void onlyFirstGrain(Engine& e) {
  e.setParameter(kDelayRange, 2.0f);
  e.setParameter(kDelay01, 1.0f);
  for (int i = 1; i < 32; ++i) e.setParameter(kDelay01 + i, 0.0f);
}

TEST(RenderWorked, GrainCrossingABlockPlaysFiftyFourThenFortySix) {
  // 128 slices of 100 frames, constant source, no fades (envelope 0.01 of 100 samples).
  RecordingRig rig(makeConstantRecording(12800, 1.0f));
  Engine& e = rig.engine;
  e.setParameter(kKeyMapping, 0.0f);
  onlyFirstGrain(e);
  e.setParameter(kEnvelope, 0.01f);
  ASSERT_EQ(e.state().rows[kMasterRow].grainLength, 100);
  send(e, {noteOn(60, 127, 10)});
  float l[64], r[64];
  e.render(l, r, 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(l[i] != 0.0f, i >= 10) << i;
  EXPECT_EQ(e.voice(60).schedule.countdown[0], 0);
  EXPECT_EQ(e.voice(60).schedule.remaining[0], 46);
  e.render(l, r, 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(l[i] != 0.0f, i < 46) << i;
  EXPECT_EQ(e.voice(60).schedule.countdown[0], -1);
}

TEST(RenderWorked, FadeGainsAtTheGrainEdges) {
  // Grain of 1000 samples with envelope 0.2: fadeLength 100.
  RecordingRig rig(makeConstantRecording(61 * 1000, 1.0f));
  Engine& e = rig.engine;
  onlyFirstGrain(e);
  e.setParameter(kEnvelope, 0.2f);
  e.setParameter(kMainLevl, 0.5f);  // masterGain 0.5
  send(e, {noteOn(50, 127, 0)});
  ASSERT_EQ(e.voice(50).schedule.fadeLength[0], 100.0f);
  std::vector<float> out = renderLeft(e, 1024, 128);
  auto gain = [&](int sample) { return out[static_cast<size_t>(sample - 1)] / 0.5f; };
  EXPECT_NEAR(gain(1), 0.01f, kNearly);
  EXPECT_NEAR(gain(100), 1.0f, kNearly);
  EXPECT_NEAR(gain(901), 1.0f, kNearly);
  EXPECT_NEAR(gain(902), 0.99f, kNearly);
  EXPECT_NEAR(gain(1000), 0.01f, kNearly);
  EXPECT_EQ(out[1000], 0.0f);
}

TEST(RenderWorked, EnvelopeOneMakesATriangle) {
  RecordingRig rig(makeConstantRecording(61 * 1000, 1.0f));
  Engine& e = rig.engine;
  onlyFirstGrain(e);
  e.setParameter(kEnvelope, 1.0f);  // fadeLength 500 = half the grain
  send(e, {noteOn(50, 127, 0)});
  std::vector<float> out = renderLeft(e, 1000, 1000);
  EXPECT_NEAR(out[499] / 0.5f, 1.0f, kNearly);
  EXPECT_NEAR(out[249] / 0.5f, 0.5f, kNearly);
  EXPECT_NEAR(out[749] / 0.5f, 0.502f, kNearly);
}

TEST(RenderWorked, ReleaseOfHalfFallsOverAThirdOfASecond) {
  RecordingRig rig(makeRecording(61 * 1000));
  Engine& e = rig.engine;
  e.setParameter(kRelease, 0.5f);
  send(e, {noteOn(50, 127, 0), noteOff(50, 300)});
  EXPECT_FLOAT_EQ(e.voice(50).releaseStep, 1.0f / 14700.0f);
  float l[512], r[512];
  e.render(l, r, 512);
  EXPECT_NEAR(e.voice(50).amplitude, 1.0f - 512.0f / 14700.0f, kNearly);
}

TEST(RenderWorked, AmplitudeThatRunsOutEndsTheKey) {
  RecordingRig rig(makeConstantRecording(61 * 20000, 1.0f));
  Engine& e = rig.engine;
  e.setParameter(kRelease, 1.0f);  // falls to zero in 1/220 s
  send(e, {noteOn(50, 127, 0)});
  float l[256], r[256];
  e.render(l, r, 256);
  send(e, {noteOff(50)});
  for (int b = 0; b < 3; ++b) e.render(l, r, 256);
  EXPECT_EQ(e.voice(50).amplitude, 0.0f);
  e.render(l, r, 256);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(l[i], 0.0f);
  for (int g = 0; g < 32; ++g) EXPECT_EQ(e.voice(50).schedule.countdown[g], -1) << g;
  e.render(l, r, 256);
  EXPECT_EQ(e.voice(50).keyState, kIdle);
}

TEST(RenderWorked, OverlappingGrainsAreNeverClipped) {
  RecordingRig rig(makeConstantRecording(61 * 20000, 1.0f));
  Engine& e = rig.engine;
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, 0.08f);  // 705 apart, 20000 long
  e.setParameter(kMainLevl, 1.0f);                                   // gain 2
  send(e, {noteOn(50, 127, 0), noteOn(51, 127, 0)});
  std::vector<float> out = renderLeft(e, 15000, 1024);
  EXPECT_GT(*std::max_element(out.begin(), out.end()), 40.0f);
}

TEST(RenderPeak, NegativeBlocksLeaveThePeakAndReadingClearsIt) {
  // Key 50's slice (frames 14000..14999) is positive in its first half and negative after.
  ChannelPair rec = makeConstantRecording(61 * 1000, 1.0f);
  for (int32_t i = 14500; i < 15000; ++i) rec.left[i] = rec.right[i] = -1.0f;
  RecordingRig rig(std::move(rec));
  Engine& e = rig.engine;
  onlyFirstGrain(e);
  send(e, {noteOn(50, 127, 0)});
  float l[256], r[256];
  e.render(l, r, 256);
  float peak = *std::max_element(l, l + 256);
  ASSERT_GT(peak, 0.0f);
  EXPECT_EQ(e.getParameter(kPeakLevel), peak);
  EXPECT_EQ(e.getParameter(kPeakLevel), 0.0f) << "the second read finds the cleared peak";
  e.render(l, r, 256);
  peak = *std::max_element(l, l + 256);
  e.render(l, r, 256);  // frames 14512..14767: all negative
  EXPECT_LT(*std::max_element(l, l + 256), 0.0f);
  EXPECT_EQ(e.getParameter(kPeakLevel), peak);
}

TEST(RenderSilence, BusyEngineOrMissingArraysRenderSilenceAndChangeNothing) {
  FakeHostTime clock;
  Engine e(&clock);
  e.replaceBuffer(makeConstantRecording(61 * 1000, 1.0f));  // no resume yet: still busy
  float l[64], r[64];
  std::fill(l, l + 64, 7.0f);
  std::fill(r, r + 64, 7.0f);
  e.render(l, r, 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(l[i] + r[i], 0.0f);

  RecordingRig rig(makeConstantRecording(61 * 1000, 1.0f));
  send(rig.engine, {noteOn(50, 127, 0)});
  const GrainSchedule before = rig.engine.voice(50).schedule;
  rig.engine.state().engineBusy = true;
  rig.engine.render(l, r, 64);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(l[i], 0.0f);
  EXPECT_EQ(rig.engine.voice(50).schedule.countdown[1], before.countdown[1]);
  EXPECT_EQ(rig.engine.voice(50).schedule.remaining[0], before.remaining[0]);
}

TEST(RenderSilence, ZeroLengthGrainsAfterSilenceAllPlayNothing) {
  RecordingRig rig(makeConstantRecording(61 * 1000, 1.0f));
  Engine& e = rig.engine;
  e.silenceAll();  // grain lengths stay 0 until the rows are applied again
  send(e, {noteOn(50, 127, 0)});
  std::vector<float> out = renderLeft(e, 20000, 512);
  for (float v : out) ASSERT_EQ(v, 0.0f);
}

TEST(RenderLoop, MorphedKeysNeverLoop) {
  RecordingRig rig(makeRecording(61 * 1000));
  Engine& e = rig.engine;
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, 0.08f);
  e.setParameter(kMorph, 1.0f);
  send(e, {noteOn(50, 127, 0)});
  renderLeft(e, 40000, 512);  // the whole sequence is over after about 23000 samples
  const Voice& v = e.voice(50);
  EXPECT_EQ(v.keyState, kHeld);
  for (int g = 0; g < 32; ++g) EXPECT_EQ(v.schedule.countdown[g], -1) << g;
}

TEST(RenderLoop, HeldKeyRestartsAtTheLoopDelayAfterGrain31) {
  RecordingRig rig(makeRecording(61 * 100));  // grains of 100 samples
  Engine& e = rig.engine;
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, 0.1f);  // 882 apart
  send(e, {noteOn(50, 127, 0)});
  // Grain 31 plays 27342..27441; block 428 of 64 samples (27392..27455) holds its end.
  renderLeft(e, 428 * 64, 64);
  const GrainSchedule& gs = e.voice(50).schedule;
  EXPECT_EQ(gs.countdown[0], -1);
  EXPECT_EQ(gs.countdown[31], 0);
  float l[64], r[64];
  e.render(l, r, 64);
  EXPECT_EQ(e.voice(50).loopMark, -1);
  const int32_t loopAt = 882 * 32 - 428 * 64;  // 832 samples into this block
  EXPECT_EQ(gs.countdown[0], loopAt - 64) << "the new sequence starts at the loop delay";
  EXPECT_EQ(gs.loopCountdown(), loopAt + 882 * 32 - 2 * 64) << "both passes lower the new loop countdown";
}

TEST(RenderTempo, DelayUnitFollowsTheHostTempoFromTheNextBlock) {
  RecordingRig rig(makeRecording(61 * 1000));
  Engine& e = rig.engine;
  rig.clock.masks.clear();
  e.resume(44100.0f);
  ASSERT_FALSE(rig.clock.masks.empty());
  EXPECT_EQ(rig.clock.masks.front(), kTimeMaskResume);
  e.setParameter(kDelayRange, 3.0f);
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, 10.0f / 14.0f);  // one beat
  ASSERT_EQ(e.state().delayUnit, 22050.0f);
  float l[64], r[64];
  rig.clock.masks.clear();
  rig.clock.tempo = 60.0;
  send(e, {noteOn(40, 100, 0)});  // arrives before the render refreshes the unit
  EXPECT_EQ(e.voice(40).schedule.countdown[1], 22050);
  e.render(l, r, 64);
  EXPECT_EQ(e.state().delayUnit, 44100.0f);
  EXPECT_EQ(e.state().tempo, 60.0);
  ASSERT_FALSE(rig.clock.masks.empty());
  EXPECT_EQ(rig.clock.masks.back(), kTimeMaskTempo);
  send(e, {noteOn(41, 100, 0)});
  EXPECT_EQ(e.voice(41).schedule.countdown[1], 44100);

  rig.clock.available = false;  // no time information: keep the unit
  e.render(l, r, 64);
  EXPECT_EQ(e.state().delayUnit, 44100.0f);

  e.setParameter(kDelayRange, 0.0f);
  rig.clock.masks.clear();
  e.render(l, r, 64);
  EXPECT_TRUE(rig.clock.masks.empty()) << "the millisecond ranges never ask for the tempo";
}

TEST(RenderBounds, ReadsStayInsideAShorterReplacementRecording) {
  RecordingRig rig(makeRecording(61 * 4000));
  Engine& e = rig.engine;
  e.setParameter(kMove, 1.0f);
  send(e, {noteOn(96, 127, 0), noteOn(70, 127, 0)});
  float l[512], r[512];
  e.render(l, r, 512);
  // The recording is replaced under the sounding keys; the old schedules point past the new end.
  e.replaceBuffer(makeRecording(300));
  for (int b = 0; b < 400; ++b) {
    e.render(l, r, 512);
    for (int i = 0; i < 512; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i]));
  }
}

TEST(RenderBounds, SamplesBeyondTheLimitAreBroughtIntoRangeAndTheRestKeptAsTheyAre) {
  // Long enough that the range check runs through whole vectors and a tail.
  ChannelPair recording = makeRecording(1003);
  const float inf = std::numeric_limits<float>::infinity();
  const float odd[] = {std::nanf(""), inf, -inf, 3e30f, -2e7f, kSampleLimit, -kSampleLimit};
  for (int i = 0; i < 7; ++i) recording.right[static_cast<size_t>(500 + i)] = odd[i];
  FakeHostTime clock;
  Engine e(&clock);
  e.replaceBuffer(std::move(recording));
  const BufferView& b = e.state().buffer;
  const float want[] = {0.0f, kSampleLimit, -kSampleLimit, kSampleLimit, -kSampleLimit, kSampleLimit, -kSampleLimit};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(b.right[500 + i], want[i]) << i;
  for (int32_t i = 0; i < 1003; ++i) {
    EXPECT_EQ(b.left[i], sampleValue(0, i));
    if (i < 500 || i >= 507) {
      EXPECT_EQ(b.right[i], sampleValue(1, i));
    }
  }
}

TEST(RenderBounds, NegativeMoveNeverReadsBeforeTheRecording) {
  RecordingRig rig(makeRecording(61 * 1000));
  Engine& e = rig.engine;
  e.setParameter(kMove, -3.0f);
  for (float trig : {0.0f, 1.0f}) {
    e.setParameter(kTrigmode, trig);
    send(e, {noteOn(40, 127, 0)});
    std::vector<float> out = renderLeft(e, 30000, 1024);
    for (float v : out) ASSERT_TRUE(std::isfinite(v));
  }
}

}  // namespace
}  // namespace tarnwick::test
