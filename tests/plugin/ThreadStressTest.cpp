// Two threads on one instance, as hosts do: one renders with random MIDI and automates host
// parameters, the other hammers every parameter, loads recordings and restores chunks. Run under
// ThreadSanitizer it must stay silent; no block may be lost, no sample may be non-finite, and once
// both stop the user-interface side's model is the playing engine's state, word for word.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "tests/plugin/AudioThread.h"
#include "tests/plugin/TestSupport.h"

namespace {

using tarnwick::aPlug;
using tarnwick::test::InProcessHost;

tarnwick::platform::MessageBoxAnswer quietBox(const char*, const char*, tarnwick::platform::MessageBoxButtons) {
  return tarnwick::platform::MessageBoxAnswer::kOk;
}

constexpr int kOperations = 1500;     // on the user-interface thread
constexpr long kMinimumBlocks = 200;  // the audio thread renders at least these, and on until the other stops

TEST(ThreadStress, NoBlockIsLostUnderParameterLoadAndRestoreTraffic) {
  tarnwick::platform::setMessageBoxHandler(quietBox);
  const std::string wavA = tarnwick::test::writeTestWav("stress_a.wav", 44100, 220.0, 330.0);
  const std::string wavB = tarnwick::test::writeTestWav("stress_b.wav", 30000, 440.0, 110.0);
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(wavA.c_str()), 0);
  void* data = nullptr;
  const int32_t size = plug.getChunk(&data);
  std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

  std::atomic<bool> uiDone{false};
  std::atomic<long> blocks{0};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    std::mt19937 rng(7);
    std::vector<float> left(1024), right(1024);
    float* outs[2] = {left.data(), right.data()};
    std::vector<uint8_t> eventStorage(sizeof(VstEvents) + 16 * sizeof(VstEvent*));
    VstMidiEvent events[16];
    while (!uiDone.load() || blocks.load() < kMinimumBlocks) {
      auto* list = reinterpret_cast<VstEvents*>(eventStorage.data());
      list->numEvents = static_cast<int32_t>(rng() % 8);
      for (int32_t i = 0; i < list->numEvents; ++i) {
        VstMidiEvent& e = events[i];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = static_cast<int32_t>(rng() % 512);
        const uint8_t kinds[] = {0x90, 0x80, 0x90, 0xB0};
        e.midiData[0] = static_cast<char>(kinds[rng() % 4] | (rng() % 16));
        e.midiData[1] = static_cast<char>(e.midiData[0] == static_cast<char>(0xB0) ? 123 : 30 + rng() % 70);
        e.midiData[2] = static_cast<char>(rng() % 128);
        list->events[i] = reinterpret_cast<VstEvent*>(&e);
      }
      plug.processEvents(list);
      const int32_t frames = 32 + static_cast<int32_t>(rng() % 992);
      plug.processReplacing(nullptr, outs, frames);
      // Host automation, every host parameter including the ones that rebuild every row.
      if (rng() % 4 == 0) plug.setParameter(static_cast<int32_t>(rng() % 40), static_cast<float>(rng() % 100) / 100.0f);
      if (rng() % 8 == 0) (void)plug.getParameter(static_cast<int32_t>(rng() % 40));
      for (int32_t i = 0; i < frames; ++i) {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) finite.store(false);
      }
      blocks.fetch_add(1);
    }
  });

  std::mt19937 rng(11);
  const int32_t internals[] = {42, 58, 109, 251, 252, 258, 260, 261, 262, 263, 265, 266, 267, 268};
  for (int op = 0; op < kOperations; ++op) {
    switch (rng() % 10) {
      case 0: plug.core().loadAudioFile(rng() % 2 ? wavA.c_str() : wavB.c_str()); break;
      case 1: plug.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size())); break;
      case 2: plug.core().resume(); break;
      case 3: {
        const int32_t index = internals[rng() % std::size(internals)];
        const float value = index >= 265 ? static_cast<float>(rng() % 8) : static_cast<float>(rng() % 2);
        plug.setParameter(index, value);
        break;
      }
      case 4: {
        void* out = nullptr;
        plug.getChunk(&out);
        break;
      }
      case 5: {
        char text[16];
        plug.core().getParameterDisplay(static_cast<int32_t>(rng() % 40), text);
        (void)plug.getParameter(static_cast<int32_t>(rng() % 40));
        break;
      }
      default: plug.setParameter(static_cast<int32_t>(rng() % 40), static_cast<float>(rng() % 100) / 100.0f); break;
    }
    InProcessHost::tempo.store(60.0 + static_cast<double>(rng() % 120));
  }
  uiDone.store(true);
  audio.join();

  EXPECT_TRUE(finite.load());
  EXPECT_EQ(plug.core().lostBlocks(), 0u);
  // Quiet now: one more block takes every shipment and publishes the playing state, which the
  // model then takes over.
  tarnwick::test::AudioThread last;
  last.play(plug, {});
  const tarnwick::EngineState& model = plug.core().modelState();
  const tarnwick::EngineState& playing = plug.core().playingEngineForTesting().state();
  EXPECT_EQ(0, std::memcmp(&model, &playing, sizeof model));
  tarnwick::platform::setMessageBoxHandler(nullptr);
}

// A host's layout switch reaches both sides through the inbox, and each stops its own voices for it: the
// model, taking the write after the audio side, must not count a silence request the audio side never
// sees (the two states would differ for good).
TEST(ThreadStress, ALayoutSwitchTakenByBothSidesLeavesThemAlike) {
  aPlug plug(&InProcessHost::callback);
  tarnwick::test::AudioThread audio;
  audio.play(plug, {});
  plug.setParameter(tarnwick::kTrigmode, 1.0f);
  audio.play(plug, {});                                           // the audio side takes it first
  const tarnwick::EngineState& model = plug.core().modelState();  // then the model
  const tarnwick::EngineState& playing = plug.core().playingEngineForTesting().state();
  EXPECT_EQ(model.trigmode, 1.0f);
  EXPECT_EQ(model.silenceRequests, playing.silenceRequests);
  EXPECT_EQ(0, std::memcmp(&model, &playing, sizeof model));
}

// The one way a block can still be lost: a host that calls the audio side again while a block is
// being rendered (here from inside the render's own time request). The second call touches nothing.
aPlug* gReentered = nullptr;

intptr_t VSTCALLBACK reenteringHost(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (opcode == audioMasterGetTime && gReentered) {
    aPlug* plug = gReentered;
    gReentered = nullptr;
    float left[16], right[16];
    float* outs[2] = {left, right};
    plug->processReplacing(nullptr, outs, 16);
    plug->setParameter(tarnwick::kMainLevl, 0.1f);
  }
  return InProcessHost::callback(e, opcode, index, value, ptr, opt);
}

TEST(ThreadStress, ASecondAudioCallDuringABlockIsRefusedAndCounted) {
  aPlug plug(&reenteringHost);
  ASSERT_EQ(plug.core().loadAudioFile(tarnwick::test::writeTestWav("reenter.wav", 4410).c_str()), 0);
  plug.setParameter(tarnwick::kDelayRange, 3.0f);  // the render asks the host for its tempo
  tarnwick::test::AudioThread audio;
  audio.play(plug, {});
  EXPECT_EQ(plug.core().lostBlocks(), 0u);
  gReentered = &plug;
  audio.play(plug, {});
  EXPECT_EQ(plug.core().lostBlocks(), 1u);
  // The automation written inside the block is not lost: it waits for the next block.
  EXPECT_EQ(plug.getParameter(tarnwick::kMainLevl), 0.1f);
  audio.play(plug, {});
  EXPECT_EQ(plug.core().playingEngineForTesting().state().mainLevl, 0.1f);
  EXPECT_EQ(plug.core().droppedWrites(), 0u);
}

// A host that calls everything on one thread (an offline bounce, a simple host) keeps the editor's own
// indices working after it rendered there: no thread is taken for an audio thread for good.
TEST(ThreadStress, AHostThatRendersOnItsOnlyThreadKeepsTheEditorsWrites) {
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(tarnwick::test::writeTestWav("bounce.wav", 61 * 200).c_str()), 0);
  float left[64], right[64];
  float* outs[2] = {left, right};
  plug.processReplacing(nullptr, outs, 64);  // rendered on this thread
  plug.setParameter(tarnwick::kFlood, 1.0f);
  plug.setParameter(tarnwick::kDelay01, 0.5f);
  EXPECT_EQ(plug.getParameter(tarnwick::kFlood), 1.0f);
  EXPECT_EQ(plug.core().droppedWrites(), 0u);
  EXPECT_TRUE(plug.core().modelForTesting().state().buffer.floodOn());
  plug.processReplacing(nullptr, outs, 64);
  EXPECT_TRUE(plug.core().playingEngineForTesting().state().buffer.floodOn());
  EXPECT_EQ(plug.core().playingEngineForTesting().state().rows[plug.core().modelState().editRow].delayValue[0], 0.5f);
}

}  // namespace
