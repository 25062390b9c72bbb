// Grain schedules built by note start: worked timings of both layouts, and the engine's schedule
// against the reference model over a grid of layouts, move, bufstart, grain lengths and offsets.
#include <gtest/gtest.h>

#include "RenderHarness.h"

namespace tarnwick::test {
namespace {

const GrainSchedule& scheduleOf(Engine& e, int key) { return e.voice(key).schedule; }

void setAllDelays(Engine& e, float v) {
  for (int i = 0; i < 32; ++i) e.setParameter(kDelay01 + i, v);
}

// Engine in range 0, 61 keys, a recording of the given length, master row as edit row.
struct Rig {
  explicit Rig(int32_t frames, float sampleRate = 44100.0f, double tempo = 120.0) {
    clock.tempo = tempo;
    bringUp(engine, frames, sampleRate);
  }
  FakeHostTime clock;
  Engine engine{&clock};
};

TEST(ScheduleWorked, EqualDelaysGiveEvenlySpacedGrainsAndMoveSpacesTheReads) {
  Rig rig(61 * 10000);
  Engine& e = rig.engine;
  setAllDelays(e, 0.8f);  // 0.8 of 200 ms = 7056 samples at 44.1 kHz
  send(e, {noteOn(40, 100, 33)});
  const int32_t S = 10000 * 4;
  for (int g = 0; g < 32; ++g) {
    EXPECT_EQ(scheduleOf(e, 40).countdown[g], 33 + 7056 * g) << g;
    EXPECT_EQ(scheduleOf(e, 40).readPos[g], S) << "move off repeats the slice start, grain " << g;
    EXPECT_EQ(scheduleOf(e, 40).remaining[g], 10000) << g;
  }
  EXPECT_EQ(scheduleOf(e, 40).loopCountdown(), 33 + 7056 * 32);

  e.setParameter(kMove, 1.0f);
  send(e, {noteOn(40, 100, 0)});
  for (int g = 0; g < 32; ++g) EXPECT_EQ(scheduleOf(e, 40).readPos[g], S + 7056 * g) << g;
}

TEST(ScheduleWorked, GapsAreTruncatedNotRounded) {
  for (float rate : {44100.0f, 44115.0f}) {  // unit 8820 and 8823
    Rig rig(61 * 2000, rate);
    Engine& e = rig.engine;
    setAllDelays(e, 0.3f);
    send(e, {noteOn(50, 100, 0)});
    EXPECT_EQ(scheduleOf(e, 50).countdown[1], 2646) << rate;
    EXPECT_EQ(scheduleOf(e, 50).countdown[31], 2646 * 31) << "sum of truncated gaps at " << rate;
  }
}

TEST(ScheduleWorked, GapProductsAreFormedInSinglePrecision) {
  // 0.7f * 8820 is 6173.99989 exactly but 6174 as a float product.
  Rig rig(61 * 2000);
  Engine& e = rig.engine;
  setAllDelays(e, 0.7f);
  e.setParameter(kMove, 1.0f);
  send(e, {noteOn(36, 100, 0)});
  EXPECT_EQ(scheduleOf(e, 36).countdown[1], 6174);
  EXPECT_EQ(scheduleOf(e, 36).readPos[1], 6174);
  EXPECT_EQ(scheduleOf(e, 36).loopCountdown(), 6174 * 32);
}

TEST(ScheduleWorked, SkippedFirstBarSilencesGrainZeroButAddsNoTime) {
  Rig rig(61 * 2000);
  Engine& e = rig.engine;
  setAllDelays(e, 0.5f);
  e.setParameter(kDelay01, 0.0f);
  send(e, {noteOn(50, 100, 12)});
  EXPECT_EQ(scheduleOf(e, 50).countdown[0], -1);
  EXPECT_EQ(scheduleOf(e, 50).countdown[1], 12);
  EXPECT_EQ(scheduleOf(e, 50).countdown[2], 12 + 4410);
}

TEST(ScheduleWorked, AllDelaysZeroMakeASilentNote) {
  Rig rig(61 * 2000);
  Engine& e = rig.engine;
  setAllDelays(e, 0.0f);
  send(e, {noteOn(50, 100, 0)});
  for (int g = 0; g < 32; ++g) EXPECT_EQ(scheduleOf(e, 50).countdown[g], -1);
  std::vector<float> out = renderLeft(e, 4096, 512);
  for (float v : out) ASSERT_EQ(v, 0.0f);
}

TEST(ScheduleWorked, LastSliceShortensGrainZeroAndMovesTheOthersBack) {
  // 61 slices of 1000 frames; key 96 owns the last one; a 1/16 note at 150 bpm is 4410 samples.
  Rig rig(61000, 44100.0f, 150.0);
  Engine& e = rig.engine;
  e.setParameter(kUnitDura, 0.375f);
  ASSERT_EQ(e.state().rows[kMasterRow].grainLength, 4410);
  send(e, {noteOn(96, 100, 0)});
  EXPECT_EQ(scheduleOf(e, 96).readPos[0], 60000);
  EXPECT_EQ(scheduleOf(e, 96).remaining[0], 1000);
  for (int g = 1; g < 32; ++g) {
    EXPECT_EQ(scheduleOf(e, 96).readPos[g], 61000 - 4410) << g;
    EXPECT_EQ(scheduleOf(e, 96).remaining[g], 4410) << g;
  }
}

TEST(ScheduleWorked, GrainsLongerThanTheRecordingAreCutToIt) {
  Rig rig(61 * 500);  // 30500 frames; four beats are 88200 samples
  Engine& e = rig.engine;
  e.setParameter(kUnitDura, 0.875f);
  send(e, {noteOn(60, 100, 0)});
  const int32_t S = 500 * 24;
  EXPECT_EQ(scheduleOf(e, 60).readPos[0], S);
  EXPECT_EQ(scheduleOf(e, 60).remaining[0], 30500 - S);
  for (int g = 1; g < 32; ++g) {
    EXPECT_EQ(scheduleOf(e, 60).readPos[g], 0) << g;
    EXPECT_EQ(scheduleOf(e, 60).remaining[g], 30500) << g;
  }

  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kBufstart, 0.0f);
  send(e, {noteOn(60, 100, 0)});
  for (int g = 1; g <= 30; ++g) EXPECT_EQ(scheduleOf(e, 60).remaining[g], 30500) << g;
  EXPECT_EQ(scheduleOf(e, 60).remaining[0], 30500) << "lead-in longer than the recording is cut to it";
  EXPECT_EQ(scheduleOf(e, 60).readPos[0], 0);
  EXPECT_EQ(scheduleOf(e, 60).fadeLength[0], 220.0f);
}

TEST(ScheduleWorked, FullsizeStartsEveryKeyAtTheBufferStart) {
  Rig rig(61 * 800);
  Engine& e = rig.engine;
  e.setParameter(kUnitDura, 1.0f);
  for (int key : {36, 61, 96}) {
    send(e, {noteOn(key, 100, 0)});
    EXPECT_EQ(scheduleOf(e, key).readPos[0], 0) << key;
    EXPECT_EQ(scheduleOf(e, key).remaining[0], 61 * 800) << key;
  }
}

TEST(ScheduleWorked, FadesAreHalfTheGrainTimesTheEnvelope) {
  Rig rig(61 * 1000);
  Engine& e = rig.engine;
  e.setParameter(kEnvelope, 0.3f);
  send(e, {noteOn(40, 100, 0)});
  EXPECT_EQ(scheduleOf(e, 40).fadeLength[5], 1000.0f * 0.5f * 0.3f);
  EXPECT_EQ(scheduleOf(e, 40).fadeInLeft[5], 150);
}

TEST(ScheduleWorked, TriggerLayoutLeadInPlaysFromBufstartUpToTheSlice) {
  // 61 slices of 44100 frames: key 37's slice starts at 44100.
  Rig rig(61 * 44100);
  Engine& e = rig.engine;
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kUnitDura, 0.375f);  // 5512 samples
  setAllDelays(e, 0.5f);              // 4410 samples
  send(e, {noteOn(37, 100, 9)});
  const GrainSchedule& gs = scheduleOf(e, 37);
  EXPECT_EQ(gs.countdown[0], 9);
  EXPECT_EQ(gs.readPos[0], 0);
  EXPECT_EQ(gs.remaining[0], 44100 + 5512);
  EXPECT_EQ(gs.fadeLength[0], 220.0f);
  EXPECT_EQ(gs.fadeInLeft[0], 220);
  EXPECT_EQ(gs.countdown[1], 9 + 44100 + 4410);
  EXPECT_EQ(gs.readPos[1], 44100);
  EXPECT_EQ(gs.countdown[31], 9 + 44100 + 4410 * 31);
  EXPECT_EQ(gs.readPos[31], 44100 + 4410) << "tail: one unmoved step after grain 30";
  EXPECT_EQ(gs.remaining[31], 61 * 44100 - (44100 + 4410));
  EXPECT_EQ(gs.loopCountdown(), -1) << "the trigger layout leaves the loop countdown alone";
}

TEST(ScheduleWorked, TriggerLayoutWithBufstartBeyondTheSliceStartsAtTheSlice) {
  Rig rig(61 * 1000);
  Engine& e = rig.engine;
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kBufstart, 0.5f);  // frame 30500, beyond key 40's slice at 4000
  setAllDelays(e, 0.1f);            // 882 samples
  send(e, {noteOn(40, 100, 5)});
  const GrainSchedule& gs = scheduleOf(e, 40);
  EXPECT_EQ(gs.countdown[0], 5);
  EXPECT_EQ(gs.readPos[0], 4000);
  EXPECT_EQ(gs.remaining[0], 1000);
  EXPECT_EQ(gs.countdown[1], 5 + 882);
}

TEST(ScheduleWorked, TriggerLoopPassHasNoLeadInAndRebuildsTheTail) {
  Rig rig(61 * 1000);
  Engine& e = rig.engine;
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kMove, 1.0f);
  setAllDelays(e, 0.1f);
  e.voice(40).loopMark = 1;
  e.noteStart(40, 7);
  const GrainSchedule& gs = scheduleOf(e, 40);
  EXPECT_EQ(gs.countdown[0], -1);
  EXPECT_EQ(gs.countdown[1], 7 + 882);
  EXPECT_EQ(gs.readPos[31], gs.readPos[30] + 882);
  EXPECT_EQ(gs.remaining[31], 61000 - gs.readPos[31]);
}

TEST(ScheduleWorked, TriggerTailPastTheEndReadsFromGrainThirty) {
  Rig rig(61 * 1000);
  Engine& e = rig.engine;
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kMove, 1.0f);
  setAllDelays(e, 0.3f);  // 2646 per step: the reads run to the end of the recording
  send(e, {noteOn(90, 100, 0)});
  const GrainSchedule& gs = scheduleOf(e, 90);
  EXPECT_EQ(gs.readPos[30], 61000 - 1000) << "grain 30 moved back to end at the buffer end";
  EXPECT_EQ(gs.readPos[31], gs.readPos[30]);
  EXPECT_EQ(gs.remaining[31], 1000);

  // A tail that starts exactly at the end is not moved: it has nothing left to play.
  e.setParameter(kMove, 0.0f);
  e.setParameter(kDelay01 + 30, 0.11338f);  // 1000 samples: from the last slice's start to the end
  send(e, {noteOn(96, 100, 0)});
  EXPECT_EQ(scheduleOf(e, 96).readPos[30], 60000);
  EXPECT_EQ(scheduleOf(e, 96).readPos[31], 61000);
  EXPECT_EQ(scheduleOf(e, 96).remaining[31], 0);
  EXPECT_EQ(scheduleOf(e, 96).fadeLength[31], 0.0f);
}

TEST(ScheduleWorked, TinyRecordingGivesZeroLengthGrainsWithSafeFades) {
  Rig rig(30);  // fewer frames than keys: every slice and grain length is 0
  Engine& e = rig.engine;
  e.setParameter(kTrigmode, 1.0f);
  send(e, {noteOn(50, 100, 0)});
  const GrainSchedule& gs = scheduleOf(e, 50);
  EXPECT_EQ(gs.remaining[0], 0);
  EXPECT_EQ(gs.fadeLength[0], 2.0f);
  EXPECT_EQ(gs.fadeInLeft[0], 0);
  std::vector<float> out = renderLeft(e, 2048, 64);
  for (float v : out) ASSERT_TRUE(std::isfinite(v));
}

TEST(ScheduleWorked, MorphCutsTheMiddleGrainsToTheMorphBuffer) {
  Rig rig(61 * 10000);
  Engine& e = rig.engine;
  e.setParameter(kMorph, 1.0f);
  send(e, {noteOn(40, 100, 0)});
  const GrainSchedule& gs = scheduleOf(e, 40);
  for (int g = 1; g <= 30; ++g) {
    EXPECT_EQ(gs.remaining[g], 4096) << g;
    EXPECT_EQ(gs.readPos[g], 0) << g;
  }
  EXPECT_EQ(gs.fadeLength[5], 10000.0f * 0.5f * 0.05f) << "fades keep the uncut length";
}

// The schedule right after a note-on, and after a loop-pass rebuild, equals the model's exactly.
struct GridPoint {
  float trigmode, move, bufstart, unitDura;
  int range;
};

class ScheduleGrid : public ::testing::TestWithParam<GridPoint> {};

TEST_P(ScheduleGrid, EngineScheduleEqualsTheModel) {
  const GridPoint p = GetParam();
  Scene s;
  s.frames = 61 * 1500 + 37;  // slices do not divide the recording evenly
  s.range = p.range;
  s.tempo = 97.0;
  s.trigmode = p.trigmode;
  s.move = p.move;
  s.bufstart = p.bufstart;
  s.master.unitDura = p.unitDura;
  s.master.envelope = 0.37f;
  s.master.delays = p.range == 3 ? shapeOf({0.15f, 0.3f, 0.0f, 0.08f, 0.22f, 0.5f, 1.0f}, 0.1f)
                                 : shapeOf({0.1f, 0.12f, 0.0f, 0.3f, 0.08f, 0.05f, 0.9f}, 0.11f);
  Harness h(s);
  for (int key : {36, 66, 95, 96}) {
    for (int32_t offset : {0, 17, 5000}) {
      for (int loopPass : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "key " << key << " offset " << offset << " loop pass " << loopPass);
        if (loopPass) {
          h.engine.voice(key).loopMark = 1;
          h.model.voices[key].loopMark = 1;
          h.engine.noteStart(key, offset);
          h.model.noteStart(key, offset);
        } else {
          const MidiMessage m = noteOn(key, 100, offset);
          h.engine.processMidi(&m, 1);
          h.model.processEvents(&m, 1);
        }
        const GrainSchedule& e = h.engine.voice(key).schedule;
        const ModelSchedule& m = h.model.voices[key].grains;
        for (int g = 0; g < 32; ++g) {
          EXPECT_EQ(e.countdown[g], m.countdown[g]) << "grain " << g;
          EXPECT_EQ(e.remaining[g], m.remaining[g]) << "grain " << g;
          EXPECT_EQ(e.readPos[g], m.readPos[g]) << "grain " << g;
          EXPECT_EQ(e.fadeInLeft[g], m.fadeInLeft[g]) << "grain " << g;
          EXPECT_EQ(e.fadeLength[g], m.fadeLength[g]) << "grain " << g;
        }
        EXPECT_EQ(e.loopCountdown(), m.loopCountdown);
        h.engine.voice(key).loopMark = 0;
        h.model.voices[key].loopMark = 0;
      }
    }
  }
}

std::vector<GridPoint> grid() {
  std::vector<GridPoint> points;
  for (float trig : {0.0f, 1.0f}) {
    for (float move : {0.0f, 1.0f, 0.5f}) {
      for (float bufstart : {0.0f, 0.25f, 0.6f, 0.99f}) {
        for (float unitDura : {0.0f, 0.375f, 0.875f, 1.0f}) {
          for (int range : {0, 3}) {
            if (trig == 0.0f && bufstart != 0.0f) continue;  // bufstart only matters to the trigger layout
            points.push_back({trig, move, bufstart, unitDura, range});
          }
        }
      }
    }
  }
  return points;
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScheduleGrid, ::testing::ValuesIn(grid()), [](const auto& info) {
  const GridPoint& p = info.param;
  std::string name = std::string(p.trigmode != 0.0f ? "trigger" : "normal") + "_move" +
                     std::to_string(static_cast<int>(p.move * 10)) + "_bufstart" +
                     std::to_string(static_cast<int>(p.bufstart * 100)) + "_dura" +
                     std::to_string(static_cast<int>(p.unitDura * 8)) + "_range" + std::to_string(p.range);
  return name;
});

}  // namespace
}  // namespace tarnwick::test
