// The block loop of the renderer against a scripted target: event placement, tempo updates, the tail rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/host/SongRenderer.h"

namespace tarnwick::host {
namespace {

constexpr double kRate = 44100.0;

struct Delivered {
  int64_t blockStart;
  MidiMessage message;
};

// Records what the renderer asks and plays a constant level until a chosen frame.
class ScriptedTarget : public RenderTarget {
 public:
  int64_t soundUntil = 0;  // frames before this carry `level`
  float level = 0.25f;
  std::vector<Delivered> midi;
  std::vector<std::pair<int64_t, double>> tempos;  // (block start, bpm)
  std::vector<int32_t> blockSizes;

  void setTempo(double bpm) override { tempos.push_back({position, bpm}); }
  void sendMidi(const std::vector<MidiMessage>& messages) override {
    EXPECT_FALSE(messages.empty());
    for (const MidiMessage& m : messages) midi.push_back({position, m});
  }
  void process(float* left, float* right, int32_t frames) override {
    for (int32_t i = 0; i < frames; ++i) {
      const float v = position + i < soundUntil ? level : 0.0f;
      left[i] = v;
      right[i] = -v;
    }
    blockSizes.push_back(frames);
    position += frames;
  }
  int64_t position = 0;
};

MidiFileEvent noteAt(double seconds, uint8_t key, uint8_t velocity) {
  MidiFileEvent e;
  e.seconds = seconds;
  e.status = 0x90;
  e.data1 = key;
  e.data2 = velocity;
  return e;
}

SongRenderSettings settingsWithBlock(int32_t block) {
  SongRenderSettings s;
  s.sampleRate = kRate;
  s.blockSize = block;
  return s;
}

TEST(SongRenderer, EventsArriveInTheirBlockWithTheirOffset) {
  MidiSong song;
  song.events = {noteAt(0.0, 60, 100), noteAt(0.5, 62, 90), noteAt(512.0 / kRate, 64, 80),
                 noteAt(1023.0 / kRate, 65, 70), noteAt(0.5, 66, 60)};
  std::stable_sort(song.events.begin(), song.events.end(),
                   [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.seconds < b.seconds; });
  ScriptedTarget target;
  renderSong(target, song, settingsWithBlock(512));

  ASSERT_EQ(target.midi.size(), 5u);
  const int64_t expected[5][3] = {{0, 0, 60}, {512, 0, 64}, {512, 511, 65}, {22016, 34, 62}, {22016, 34, 66}};
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(target.midi[i].blockStart, expected[i][0]);
    EXPECT_EQ(target.midi[i].message.deltaFrames, expected[i][1]);  // 0.5 s = frame 22050 = 22016 + 34
    EXPECT_EQ(target.midi[i].message.data1, expected[i][2]);
    EXPECT_EQ(target.midi[i].message.status, 0x90);
  }
}

TEST(SongRenderer, SilentTailEndsAfterOneSecondOfSilence) {
  MidiSong song;
  song.events = {noteAt(0.0, 60, 100), noteAt(1.0, 60, 0)};  // last event at frame 44100, in block 86
  ScriptedTarget target;
  target.soundUntil = 44100 + 10000;  // sound rings on after the last event
  const RenderedSong out = renderSong(target, song, settingsWithBlock(512));
  EXPECT_EQ(out.songFrames, 87 * 512);
  ASSERT_EQ(out.left.size(), out.right.size());
  // The silent run starts at frame 54100 and must reach 44100 frames; rendering stops at the block end.
  const int64_t silentFrom = 54100, needed = silentFrom + 44100;
  EXPECT_GE(static_cast<int64_t>(out.left.size()), needed);
  EXPECT_LT(static_cast<int64_t>(out.left.size()), needed + 512);
  EXPECT_EQ(out.left[54099], 0.25f);
  EXPECT_EQ(out.right[54099], -0.25f);
  EXPECT_EQ(out.left[54100], 0.0f);
}

TEST(SongRenderer, SilenceBeforeTheLastEventDoesNotShortenTheTail) {
  MidiSong song;
  song.events = {noteAt(3.0, 60, 100)};
  ScriptedTarget target;  // never sounds
  const RenderedSong out = renderSong(target, song, settingsWithBlock(256));
  const int64_t songFrames = (132300 / 256 + 1) * 256;
  EXPECT_EQ(out.songFrames, songFrames);
  EXPECT_EQ(static_cast<int64_t>(out.left.size()), songFrames + (44100 + 255) / 256 * 256);
}

TEST(SongRenderer, EndlessSoundStopsAfterTenSecondsOfTail) {
  MidiSong song;
  song.events = {noteAt(0.2, 60, 100)};
  ScriptedTarget target;
  target.soundUntil = std::numeric_limits<int64_t>::max();
  const RenderedSong out = renderSong(target, song, settingsWithBlock(1000));
  EXPECT_EQ(out.songFrames, 9000);
  EXPECT_EQ(static_cast<int64_t>(out.left.size()), 9000 + 441000);
  EXPECT_EQ(target.blockSizes.back(), 1000);
  for (int32_t size : target.blockSizes) EXPECT_LE(size, 1000);
}

TEST(SongRenderer, NonFiniteOutputIsNotSilence) {
  MidiSong song;
  song.events = {noteAt(0.0, 60, 100)};
  ScriptedTarget target;
  target.soundUntil = std::numeric_limits<int64_t>::max();
  target.level = std::numeric_limits<float>::quiet_NaN();
  SongRenderSettings settings = settingsWithBlock(512);
  settings.maxTailSeconds = 2.0;
  const RenderedSong out = renderSong(target, song, settings);
  EXPECT_GE(static_cast<int64_t>(out.left.size()), 512 + 88200);
}

TEST(SongRenderer, FileTempoChangesReachTheHostAtTheirBlock) {
  MidiSong song;
  song.events = {noteAt(0.0, 60, 100), noteAt(2.0, 60, 0)};
  song.tempos = {{0.0, 0, 500000}, {1.0, 0, 400000}};  // 120, then 150 BPM at frame 44100
  ScriptedTarget target;
  renderSong(target, song, settingsWithBlock(512));
  ASSERT_EQ(target.tempos.size(), 2u);
  EXPECT_EQ(target.tempos[0].first, 0);
  EXPECT_DOUBLE_EQ(target.tempos[0].second, 120.0);
  EXPECT_EQ(target.tempos[1].first, 86 * 512);  // the block holding frame 44100
  EXPECT_DOUBLE_EQ(target.tempos[1].second, 150.0);

  ScriptedTarget fixed;
  SongRenderSettings settings = settingsWithBlock(512);
  settings.followFileTempo = false;
  renderSong(fixed, song, settings);
  EXPECT_TRUE(fixed.tempos.empty());
}

TEST(SongRenderer, ProgressCoversTheSongAndTheTail) {
  MidiSong song;
  song.events = {noteAt(0.1, 60, 100)};
  ScriptedTarget target;
  int64_t lastDone = 0, calls = 0, planned = -1;
  const RenderedSong out = renderSong(target, song, settingsWithBlock(512), [&](int64_t done, int64_t songFrames) {
    EXPECT_GT(done, lastDone);
    lastDone = done;
    planned = songFrames;
    ++calls;
  });
  EXPECT_EQ(lastDone, static_cast<int64_t>(out.left.size()));
  EXPECT_EQ(planned, out.songFrames);
  EXPECT_EQ(calls, static_cast<int64_t>(target.blockSizes.size()));
}

TEST(SongRenderer, FramePositionRoundsToTheNearestFrame) {
  EXPECT_EQ(framePosition(0.0, kRate), 0);
  EXPECT_EQ(framePosition(1.0, kRate), 44100);
  EXPECT_EQ(framePosition(0.4 / kRate, kRate), 0);
  EXPECT_EQ(framePosition(0.6 / kRate, kRate), 1);
  EXPECT_EQ(framePosition(-1.0, kRate), 0);
}

}  // namespace
}  // namespace tarnwick::host
