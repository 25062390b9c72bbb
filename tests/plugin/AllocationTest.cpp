// The audio thread allocates nothing: processEvents and processReplacing are watched by an
// interposed allocator over a long run with loops, releases, the trigger layout and tempo changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "plugin/aPlug.h"
#include "storage/AudioFileReader.h"
#include "tests/plugin/AudioThread.h"
#include "tests/plugin/TestSupport.h"
#include "tests/support/AllocationCounter.h"

namespace {

using tarnwick::aPlug;
using tarnwick::test::InProcessHost;

// Every call of operator new or delete, and of the C allocator where no sanitizer owns it.
long totalCount() {
  const tarnwick::test::AllocationCounts c = tarnwick::test::allocationCounts();
  return c.news + c.deletes + c.cCalls;
}

TEST(AudioThread, AllocatesNothingOverALongRun) {
  // The counter must see an allocation when there is one, or the test proves nothing.
  tarnwick::test::countAllocations(true);
  int* volatile q = new int(5);  // through a volatile pointer, so the pair cannot be optimised away
  delete q;
  void* volatile p = std::malloc(16);
  std::free(p);
  tarnwick::test::countAllocations(false);
  ASSERT_GE(totalCount(), 2);
  tarnwick::test::resetAllocationCounts();

  const std::string wav = tarnwick::test::writeTestWav("alloc.wav", 3 * 44100);
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(wav.c_str()), 0);
  plug.setParameter(2, 0.5f);  // release 1/3 s on the master row

  std::vector<float> left(1024), right(1024);
  float* outs[2] = {left.data(), right.data()};
  std::vector<uint8_t> storage(sizeof(VstEvents) + 8 * sizeof(VstEvent*));
  VstMidiEvent events[8];
  auto* list = reinterpret_cast<VstEvents*>(storage.data());
  std::mt19937 rng(3);

  // The blocks render on a thread of their own, so that the test's thread stays the user-interface thread
  // whose writes (the delay range among them) reach the instrument.
  tarnwick::test::AudioThread audio;
  auto run = [&](int blocks) {
    for (int b = 0; b < blocks; ++b) {
      list->numEvents = 0;
      if (rng() % 3 == 0) {
        VstMidiEvent& e = events[list->numEvents];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = static_cast<int32_t>(rng() % 256);
        e.midiData[0] = static_cast<char>(rng() % 2 ? 0x90 : 0x80);
        e.midiData[1] = static_cast<char>(36 + rng() % 61);
        e.midiData[2] = 100;
        list->events[list->numEvents++] = reinterpret_cast<VstEvent*>(&e);
      }
      const int32_t frames = 256 + static_cast<int32_t>(rng() % 768);
      audio.run([&] {
        tarnwick::test::countAllocations(true);
        plug.processEvents(list);
        plug.processReplacing(nullptr, outs, frames);
        tarnwick::test::countAllocations(false);
      });
      if (b % 50 == 0) InProcessHost::tempo.store(70.0 + static_cast<double>(rng() % 100));
    }
  };

  // Short delays so that held keys loop many times.
  for (int32_t i = 8; i < 40; ++i) plug.setParameter(i, 0.1f);
  run(600);
  plug.setParameter(4, 1.0f);  // trigger layout
  plug.setParameter(7, 0.3f);
  run(600);
  plug.setParameter(265, 3.0f);  // quantized to tempo: the render asks for the tempo every block
  plug.setParameter(1, 0.5f);
  run(1);
  ASSERT_TRUE(plug.core().playingEngineForTesting().state().quantized());  // the write reached the render
  run(599);
  plug.setParameter(5, 1.0f);  // move
  run(600);
  plug.setParameter(6, 1.0f);  // morph: two forward and up to thirty inverse transforms per note
  run(300);
  plug.setParameter(4, 0.0f);
  run(300);
  EXPECT_EQ(totalCount(), 0);
  EXPECT_EQ(plug.core().droppedWrites(), 0u);
}

// The file browser's preview through the plug-in's output: with nothing else playing, the output is the
// file's first samples; the audio thread allocates nothing for it, and a stopped preview is silent from
// the next block on.
TEST(AudioThread, ThePreviewPlaysTheFilesFirstSamplesAndStops) {
  const std::string wav = tarnwick::test::writeTestWav("preview-plugin.wav", 44100);
  tarnwick::ChannelPair expected;
  ASSERT_EQ(tarnwick::readAudioFile(wav.c_str(), expected), tarnwick::kStorageOk);
  aPlug plug(&InProcessHost::callback);
  plug.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  plug.core().previewRecording(wav.c_str());
  const tarnwick::PreviewVoice& voice = plug.core().preview();
  for (int i = 0; i < 2000000 && voice.framesQueued() < 512 && !voice.readerDone(); ++i) std::this_thread::yield();
  ASSERT_GE(voice.framesQueued(), 512u);

  std::vector<float> left(512), right(512);
  float* outs[2] = {left.data(), right.data()};
  tarnwick::test::resetAllocationCounts();
  tarnwick::test::AudioThread audio;
  audio.run([&] {
    tarnwick::test::countAllocations(true);
    plug.processReplacing(nullptr, outs, 512);
    tarnwick::test::countAllocations(false);
  });
  EXPECT_EQ(totalCount(), 0);
  for (int n = 0; n < 512; ++n) {
    ASSERT_FLOAT_EQ(left[n], expected.left[n]) << n;
    ASSERT_FLOAT_EQ(right[n], expected.right[n]) << n;
  }
  plug.core().previewRecording("");
  audio.run([&] { plug.processReplacing(nullptr, outs, 512); });
  for (int n = 0; n < 512; ++n) ASSERT_EQ(left[n], 0.0f) << n;
}

}  // namespace
