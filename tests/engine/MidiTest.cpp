// MIDI intake and key state: note-on and note-off, velocity 0, channels, unmapped keys, the
// all-grains-off controllers, release speeds, events without a recording and morph monophony.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"

namespace tarnwick::test {
namespace {

class Midi : public ::testing::Test {
 protected:
  void SetUp() override { bringUp(e, 61 * 1000); }
  Voice& voice(int key) { return e.voice(key); }
  void renderBlocks(int count, int32_t n = 512) {
    std::vector<float> l(static_cast<size_t>(n)), r(static_cast<size_t>(n));
    for (int i = 0; i < count; ++i) e.render(l.data(), r.data(), n);
  }
  FakeHostTime clock;
  Engine e{&clock};
};

TEST_F(Midi, NoteOnHoldsTheKeyAndNoteOffReleasesIt) {
  e.setParameter(kRelease, 0.5f);
  send(e, {noteOn(60, 100, 21)});
  EXPECT_EQ(voice(60).keyState, kHeld);
  EXPECT_EQ(voice(60).velocity, 100);
  EXPECT_EQ(voice(60).amplitude, 100.0f / 127.0f);
  EXPECT_EQ(voice(60).releaseStep, 0.0f);
  EXPECT_EQ(voice(60).schedule.countdown[0], 21);
  EXPECT_EQ(e.state().lastSelectedKey, 60);
  EXPECT_EQ(e.state().playRow, kMasterRow);
  EXPECT_EQ(e.state().editRow, kMasterRow);
  send(e, {noteOff(60)});
  EXPECT_EQ(voice(60).keyState, kReleased);
  EXPECT_FLOAT_EQ(voice(60).releaseStep, 100.0f / 127.0f / 44100.0f * 3.0f);
}

TEST_F(Midi, VelocityZeroIsANoteOff) {
  e.setParameter(kRelease, 0.5f);
  send(e, {noteOn(60, 90), noteOn(60, 0)});
  EXPECT_EQ(voice(60).keyState, kReleased);
  EXPECT_EQ(voice(60).velocity, 90);
  EXPECT_FLOAT_EQ(voice(60).releaseStep, 90.0f / 127.0f / 44100.0f * 3.0f);
}

TEST_F(Midi, EveryChannelPlays) {
  send(e, {noteOn(50, 100, 7, 0)});
  const GrainSchedule first = voice(50).schedule;
  e.silenceAll();
  e.reapplyRows();
  send(e, {noteOn(50, 100, 7, 9)});
  EXPECT_EQ(voice(50).keyState, kHeld);
  for (int g = 0; g < 33; ++g) EXPECT_EQ(voice(50).schedule.countdown[g], first.countdown[g]) << g;
  send(e, {noteOff(50, 0, 15)});
  EXPECT_EQ(voice(50).keyState, kReleased);
}

TEST_F(Midi, KeysOutsideTheMappingMakeNoSoundButANoteOffStillSelectsTheRow) {
  e.setParameter(kEditMode, 1.0f);  // Single Key Edit Mode, edit row 36
  send(e, {noteOn(35, 100), noteOn(97, 100)});
  EXPECT_EQ(voice(35).keyState, kIdle);
  EXPECT_EQ(voice(97).keyState, kIdle);
  EXPECT_EQ(e.state().editRow, 36) << "an ignored note-on selects nothing";
  EXPECT_EQ(e.state().lastSelectedKey, 36);
  std::vector<float> out = renderLeft(e, 8192, 512);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  send(e, {noteOff(35)});
  EXPECT_EQ(e.state().editRow, 35);
  EXPECT_EQ(e.state().playRow, 35);
  EXPECT_EQ(voice(35).keyState, kIdle);
}

TEST_F(Midi, SingleKeyEditModePlaysAndSelectsTheKeysOwnRow) {
  e.setParameter(kEditMode, 1.0f);
  e.selectKey(50);
  e.setParameter(kUnitDura, 0.375f);  // 5512 samples for key 50 only
  e.selectKey(40);
  send(e, {noteOn(50, 100, 0)});
  EXPECT_EQ(e.state().editRow, 50);
  EXPECT_EQ(e.state().playRow, 50);
  EXPECT_EQ(e.state().editRowGrainLength, 5512.0f);
  EXPECT_EQ(e.state().keySplitStart, static_cast<float>(1000 * 14));
  EXPECT_EQ(voice(50).schedule.remaining[1], 5512);
  send(e, {noteOn(41, 100, 0)});
  EXPECT_EQ(voice(41).schedule.remaining[1], 1000);
}

TEST_F(Midi, FullsizePlayRowPublishesSliceStartZero) {
  e.setParameter(kUnitDura, 1.0f);
  send(e, {noteOn(50, 100, 0)});
  EXPECT_EQ(e.state().keySplitStart, 0.0f);
  EXPECT_EQ(e.state().editRowGrainLength, static_cast<float>(61 * 1000));
  e.setParameter(kUnitDura, 0.0f);
  send(e, {noteOn(50, 100, 0)});
  EXPECT_EQ(e.state().keySplitStart, 14000.0f);
}

TEST_F(Midi, ControllersCutAllGrainsButLeaveHeldKeysHeld) {
  for (int number : {123, 126}) {
    send(e, {noteOn(50, 100, 0), noteOn(60, 100, 0), noteOff(60)});
    renderBlocks(1);
    send(e, {controller(number, 0, 0, 3)});
    for (int key : {50, 60}) {
      for (int g = 0; g < 33; ++g) EXPECT_EQ(voice(key).schedule.countdown[g], -1) << number << " " << key;
    }
    EXPECT_EQ(voice(50).keyState, kHeld);
    renderBlocks(1);
    EXPECT_EQ(voice(50).keyState, kHeld) << "a held key without grains stays held";
    EXPECT_EQ(voice(60).keyState, kIdle) << "a released key without grains goes idle";
    send(e, {noteOff(50)});
    renderBlocks(1);
    EXPECT_EQ(voice(50).keyState, kIdle);
  }
  send(e, {noteOn(50, 100, 0), controller(7, 100), controller(121, 0)});
  EXPECT_GE(voice(50).schedule.countdown[0], 0) << "other controllers change nothing";
}

TEST_F(Midi, ReleaseSpeeds) {
  struct Case {
    float release;
    float step;
  } cases[] = {{1.0f, 1.0f / 44100.0f * 220.0f}, {0.5f, 1.0f / 14700.0f}, {0.0f, 0.0f}, {-0.5f, 0.0f}};
  for (const Case& c : cases) {
    e.setParameter(kRelease, c.release);
    send(e, {noteOn(50, 127, 0), noteOff(50)});
    EXPECT_FLOAT_EQ(voice(50).releaseStep, c.step) << c.release;
  }
  // Release 1.0 reaches zero within 1/220 s (about 200 samples); release 0 keeps the level.
  e.setParameter(kRelease, 1.0f);
  send(e, {noteOn(50, 127, 0), noteOff(50)});
  renderBlocks(1, 200);
  EXPECT_GT(voice(50).amplitude, 0.0f);
  renderBlocks(1, 1);
  EXPECT_EQ(voice(50).amplitude, 0.0f);
  for (float release : {0.0f, -0.5f}) {
    e.setParameter(kRelease, release);
    send(e, {noteOn(50, 127, 0), noteOff(50)});
    renderBlocks(20);
    EXPECT_EQ(voice(50).amplitude, 1.0f) << "release " << release << " holds the level";
    EXPECT_EQ(voice(50).keyState, kReleased);
  }
}

TEST_F(Midi, ASecondNoteOffRestartsTheFallFromTheCurrentLevel) {
  e.setParameter(kRelease, 0.5f);
  send(e, {noteOn(50, 127, 0), noteOff(50)});
  renderBlocks(1, 4410);
  const float level = voice(50).amplitude;
  EXPECT_NEAR(level, 0.7f, 1e-5f);
  send(e, {noteOff(50)});
  EXPECT_EQ(voice(50).keyState, kReleased);
  EXPECT_FLOAT_EQ(voice(50).releaseStep, level / 44100.0f * 3.0f);
}

TEST_F(Midi, NoteOffWithoutNoteOnChangesOnlyTheReleaseStep) {
  e.setParameter(kRelease, 0.5f);
  voice(50).amplitude = 0.25f;  // left over from an earlier note
  send(e, {noteOff(50)});
  EXPECT_EQ(voice(50).keyState, kIdle);
  EXPECT_FLOAT_EQ(voice(50).releaseStep, 0.25f / 44100.0f * 3.0f);
  for (int g = 0; g < 33; ++g) EXPECT_EQ(voice(50).schedule.countdown[g], -1);
}

TEST_F(Midi, RepeatedNoteOnRestartsTheKey) {
  e.setParameter(kRelease, 0.5f);
  send(e, {noteOn(50, 127, 0), noteOff(50)});
  renderBlocks(3);
  send(e, {noteOn(50, 64, 5)});
  EXPECT_EQ(voice(50).keyState, kHeld);
  EXPECT_EQ(voice(50).amplitude, 64.0f / 127.0f);
  EXPECT_EQ(voice(50).releaseStep, 0.0f);
  EXPECT_EQ(voice(50).schedule.countdown[0], 5);
}

TEST_F(Midi, OtherMessagesAreIgnored) {
  MidiMessage others[] = {{0, 0xA0, 50, 100}, {0, 0xC0, 5, 0},    {0, 0xD0, 90, 0},
                          {0, 0xE0, 0, 64},   {0, 0xF0, 50, 100}, {0, 0xF8, 0, 0}};
  e.processMidi(others, 6);
  for (int k = 0; k < kRowCount; ++k) ASSERT_EQ(voice(k).keyState, kIdle) << k;
  // Data bytes are taken as 7 bits: a key byte of 0x80 + 50 plays key 50.
  MidiMessage high{0, 0x90, 0x80 | 50, 0x80 | 100};
  e.processMidi(&high, 1);
  EXPECT_EQ(voice(50).keyState, kHeld);
  EXPECT_EQ(voice(50).velocity, 100);
}

TEST(MidiWithoutRecording, EventsAreDropped) {
  FakeHostTime clock;
  Engine e(&clock);
  e.resume(44100.0f);
  e.setParameter(kEditMode, 1.0f);
  const int32_t editRow = e.state().editRow;
  send(e, {noteOn(50, 100, 0)});
  EXPECT_EQ(e.voice(50).keyState, kIdle);
  send(e, {noteOff(50)});
  EXPECT_EQ(e.voice(50).releaseStep, 0.0f);
  EXPECT_EQ(e.state().editRow, editRow);
  EXPECT_EQ(e.state().lastSelectedKey, 36);
}

TEST_F(Midi, MorphIsMonophonic) {
  e.setParameter(kMorph, 1.0f);
  send(e, {noteOn(40, 100, 0)});
  renderBlocks(1);
  send(e, {noteOn(50, 100, 0)});
  EXPECT_EQ(voice(40).keyState, kIdle);
  for (int g = 0; g < 33; ++g) EXPECT_EQ(voice(40).schedule.countdown[g], -1) << g;
  EXPECT_EQ(voice(50).keyState, kHeld);
  e.setParameter(kMorph, 0.0f);
  send(e, {noteOn(40, 100, 0), noteOn(50, 100, 0)});
  EXPECT_EQ(voice(40).keyState, kHeld) << "without morph the keys are polyphonic";
  EXPECT_EQ(voice(50).keyState, kHeld);
}

}  // namespace
}  // namespace tarnwick::test
