// Chunk restore in detail: recovery messages, hardening against hostile blocks, restored keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "storage/ChunkRecord.h"
#include "tests/plugin/AudioThread.h"
#include "tests/plugin/TestSupport.h"

namespace {

using tarnwick::aPlug;
using tarnwick::test::InProcessHost;
namespace platform = tarnwick::platform;

std::vector<std::string> gMessages;

platform::MessageBoxAnswer recordMessage(const char* title, const char* text, platform::MessageBoxButtons) {
  gMessages.push_back(std::string(title) + "|" + text);
  return platform::MessageBoxAnswer::kOk;
}

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    platform::setMessageBoxHandler(recordMessage);
  }
  void TearDown() override { platform::setMessageBoxHandler(nullptr); }

  static std::vector<uint8_t> chunkOf(aPlug& plug) {
    void* data = nullptr;
    const int32_t size = plug.getChunk(&data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
  }
  static void putPath(std::vector<uint8_t>& chunk, const std::string& path) {
    std::memset(chunk.data(), 0, 2048);
    std::memcpy(chunk.data(), path.data(), std::min<size_t>(path.size(), 2048));
  }
  static void putI32(std::vector<uint8_t>& chunk, size_t offset, int32_t v) { std::memcpy(&chunk[offset], &v, 4); }
  static void putF32(std::vector<uint8_t>& chunk, size_t offset, float v) { std::memcpy(&chunk[offset], &v, 4); }
};

TEST_F(Session, NoAudioRestoresEverythingSilently) {
  aPlug a(&InProcessHost::callback);
  a.setParameter(0, 0.3f);
  a.setParameter(109, 0.0f);
  a.setParameter(20, 0.6f);
  auto chunk = chunkOf(a);
  aPlug b(&InProcessHost::callback);
  EXPECT_EQ(b.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size())), 1);
  EXPECT_TRUE(gMessages.empty());
  EXPECT_EQ(b.core().modelState().buffer.frameCount, 0);
  EXPECT_EQ(chunkOf(b), chunk);
}

TEST_F(Session, MissingRecordingReportsThePathAndRestoresTheRest) {
  aPlug a(&InProcessHost::callback);
  a.setParameter(0, 0.3f);
  auto chunk = chunkOf(a);
  putPath(chunk, "/no/such/recording.wav");
  aPlug b(&InProcessHost::callback);
  b.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(
      gMessages[0],
      "Tarnwick VSTi - Error recovering last session|Error loading audio file :\n\n/no/such/recording.wav\nCould not "
      "open file.");
  EXPECT_FLOAT_EQ(b.getParameter(0), 0.3f);
  EXPECT_EQ(b.core().modelState().buffer.frameCount, 0);
  EXPECT_STREQ(b.core().modelState().program.audioFileName, "/no/such/recording.wav");
}

TEST_F(Session, TooLongOrUnterminatedPathIsNotUsed) {
  aPlug a(&InProcessHost::callback);
  auto chunk = chunkOf(a);
  std::memset(chunk.data(), 'x', 1024);  // 1024 characters, terminated after
  aPlug b(&InProcessHost::callback);
  b.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0],
            "Tarnwick VSTi - Error recovering last session|Error loading audio file :\n\n(-filename too long-)\n");
  EXPECT_STREQ(b.core().modelState().program.audioFileName, "");

  gMessages.clear();
  std::memset(chunk.data(), 'y', 2048);  // no terminator anywhere
  b.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_NE(gMessages[0].find("(-filename too long-)"), std::string::npos);
}

TEST_F(Session, ForeignBlocksShowUnknownVersionAndChangeNothing) {
  aPlug a(&InProcessHost::callback);
  auto good = chunkOf(a);
  std::vector<uint8_t> bad = good;
  putF32(bad, tarnwick::chunk::kMainLevl, 0.1f);
  bad.pop_back();
  a.setChunk(bad.data(), static_cast<intptr_t>(bad.size()));
  bad.push_back(0);
  putI32(bad, tarnwick::chunk::kRevision, 5);
  a.setChunk(bad.data(), static_cast<intptr_t>(bad.size()));
  a.setChunk(nullptr, tarnwick::kChunkSize);
  ASSERT_EQ(gMessages.size(), 3u);
  for (const std::string& m : gMessages) {
    EXPECT_EQ(m, "Tarnwick VSTi - Error recovering last session|Unknown version of stored data\n\n");
  }
  EXPECT_EQ(chunkOf(a), good);
}

TEST_F(Session, HostileValuesAreClampedOrZeroed) {
  aPlug a(&InProcessHost::callback);
  auto chunk = chunkOf(a);
  putF32(chunk, tarnwick::chunk::kEditMode, 0.0f);  // Single Key Edit Mode
  putI32(chunk, tarnwick::chunk::kEditRow, 5000);
  putI32(chunk, tarnwick::chunk::kPlayRow, -7);
  putI32(chunk, tarnwick::chunk::kLastKey, 999);
  putI32(chunk, tarnwick::chunk::kFloodWork, 123456);  // the flood's working value is never read
  putF32(chunk, tarnwick::chunk::kMainLevl, std::numeric_limits<float>::quiet_NaN());
  putF32(chunk, tarnwick::chunk::kUnitDura + 4 * 128, std::numeric_limits<float>::infinity());
  a.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  const auto& s = a.core().modelState();
  EXPECT_EQ(s.editRow, 128);
  EXPECT_EQ(s.playRow, 0);
  EXPECT_EQ(s.lastSelectedKey, 127);
  EXPECT_EQ(s.mainLevl, 0.0f);
  EXPECT_EQ(s.rows[128].unitDura, 0.0f);
  EXPECT_TRUE(gMessages.empty());
}

// Values from a session or a host are brought into their parameter's range on the way in; a level of
// 1e38 no longer overflows the master gain.
TEST_F(Session, OutOfRangeValuesAreBroughtIntoRange) {
  const std::string wav = tarnwick::test::writeTestWav("session_range.wav", 61 * 500);
  aPlug a(&InProcessHost::callback);
  ASSERT_EQ(a.core().loadAudioFile(wav.c_str()), 0);
  auto chunk = chunkOf(a);
  putF32(chunk, tarnwick::chunk::kMainLevl, 1e38f);
  putF32(chunk, tarnwick::chunk::kRelease + 4 * 128, 7.0f);
  putF32(chunk, tarnwick::chunk::delay(128, 3), -2.0f);
  putF32(chunk, tarnwick::chunk::copyBuffer(2, 0), 40.0f);
  putF32(chunk, tarnwick::chunk::option(4), 9.0f);  // names no keyboard mapping
  a.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  const auto& s = a.core().modelState();
  EXPECT_EQ(s.mainLevl, 1.0f);
  EXPECT_EQ(s.masterGain, 2.0f);
  EXPECT_EQ(s.rows[128].release, 1.0f);
  EXPECT_EQ(s.rows[128].delayValue[3], 0.0f);
  EXPECT_EQ(s.copyBuffer[2][0], 1.0f);
  EXPECT_EQ(s.options[tarnwick::kOptKeyMapping], 3.0f);  // the factory mapping stays
  a.setParameter(tarnwick::kMainLevl, 5.0f);
  EXPECT_EQ(a.getParameter(tarnwick::kMainLevl), 1.0f);
  a.setParameter(tarnwick::kEnvelope, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(a.getParameter(tarnwick::kEnvelope), 0.01f);

  tarnwick::test::AudioThread audio;
  audio.play(a, {{0, 0x90, 60, 127}, {5, 0x90, 72, 127}}, 2048);
  for (int block = 0; block < 20; ++block) {
    audio.play(a, {}, 2048);
    for (float v : audio.left) ASSERT_TRUE(std::isfinite(v));
  }
}

TEST_F(Session, RestoredSessionKeepsItsKeysAndFloodsTheStoredKey) {
  const std::string wav = tarnwick::test::writeTestWav("session_flood.wav", 61 * 1000);
  aPlug a(&InProcessHost::callback);
  ASSERT_EQ(a.core().loadAudioFile(wav.c_str()), 0);
  a.setParameter(109, 0.0f);  // Single Key Edit Mode: edit row 36
  // Play key 70: it becomes the edit row and the last key; then flood from its slice.
  tarnwick::test::AudioThread audio;
  audio.play(a, {{0, 0x90, 70, 100}});
  const auto& sa = a.core().modelState();
  EXPECT_EQ(sa.lastSelectedKey, 70);
  a.setParameter(263, 1.0f);
  ASSERT_EQ(a.getParameter(263), 1.0f);
  auto chunk = chunkOf(a);

  aPlug b(&InProcessHost::callback);
  b.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  EXPECT_TRUE(gMessages.empty());
  const auto& sb = b.core().modelState();
  EXPECT_EQ(sb.lastSelectedKey, 70);
  EXPECT_EQ(sb.editRow, 70);
  EXPECT_EQ(sb.flood, 1.0f);
  ASSERT_TRUE(sb.buffer.floodOn());
  ASSERT_EQ(sb.buffer.frameCount, sa.buffer.frameCount);
  for (int32_t i = 0; i < sb.buffer.frameCount; ++i) {
    ASSERT_EQ(sb.buffer.left[i], sa.buffer.left[i]) << i;
  }

  // In Master Edit Mode the restored edit row is the master row.
  a.setParameter(109, 0.0f);
  auto master = chunkOf(a);
  aPlug c(&InProcessHost::callback);
  c.setChunk(master.data(), static_cast<intptr_t>(master.size()));
  EXPECT_EQ(c.core().modelState().editRow, 128);
  EXPECT_EQ(c.core().modelState().lastSelectedKey, a.core().modelState().lastSelectedKey);
}

TEST_F(Session, FailedLoadKeepsThePreviousRecording) {
  const std::string wav = tarnwick::test::writeTestWav("session_keep.wav", 5000);
  aPlug a(&InProcessHost::callback);
  ASSERT_EQ(a.core().loadAudioFile(wav.c_str()), 0);
  const float* before = a.core().modelState().buffer.left;
  EXPECT_EQ(a.core().loadAudioFile("/no/such/file.wav"), 23);
  const auto& s = a.core().modelState();
  EXPECT_EQ(s.buffer.left, before);
  EXPECT_EQ(s.buffer.frameCount, 5000);
  EXPECT_STREQ(s.program.audioFileName, wav.c_str());
  EXPECT_TRUE(s.buffer.saved);
}

}  // namespace

namespace {

// The morph through the instance: a note plays, nothing is non-finite, a second key cuts the first.
TEST(Morph, NotesPlayFiniteAndMonophonic) {
  const std::string wav = tarnwick::test::writeTestWav("morph.wav", 2 * 44100, 220.0, 331.0);
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(wav.c_str()), 0);
  plug.setParameter(6, 1.0f);
  plug.setParameter(1, 3.0f / 8.0f);  // grains of 1/16 beat
  tarnwick::test::AudioThread audio;
  float peak = 0.0f;
  for (int block = 0; block < 40; ++block) {
    audio.play(
        plug,
        block == 0 ? std::vector<tarnwick::MidiMessage>{{0, 0x90, 60, 100}} : std::vector<tarnwick::MidiMessage>{},
        512);
    for (int i = 0; i < 512; ++i) {
      ASSERT_TRUE(std::isfinite(audio.left[i]) && std::isfinite(audio.right[i]));
      peak = std::max(peak, std::fabs(audio.left[i]));
    }
  }
  EXPECT_GT(peak, 0.001f);
  tarnwick::Engine& engine = plug.core().playingEngineForTesting();
  for (int g = 1; g < 31; ++g) EXPECT_LE(engine.voice(60).schedule.remaining[g], 4096);
  audio.play(plug, {{0, 0x90, 64, 100}});
  EXPECT_EQ(engine.voice(60).keyState, tarnwick::kIdle);
  for (int g = 0; g <= 32; ++g) EXPECT_EQ(engine.voice(60).schedule.countdown[g], -1);
  EXPECT_EQ(engine.voice(64).keyState, tarnwick::kHeld);
}

}  // namespace
