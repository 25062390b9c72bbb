// The audio thread allocates nothing: processEvents and processReplacing are watched by an
// interposed allocator over a long run with loops, releases, the trigger layout and tempo changes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "plugin/aPlug.h"
#include "tests/plugin/TestSupport.h"

namespace {
std::atomic<bool> gWatching{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete(void* p) noexcept {
  if (p && gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// The C allocator too, where no sanitizer owns it.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);
extern "C" void* malloc(size_t n) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t a, size_t b) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return __libc_calloc(a, b);
}
extern "C" void* realloc(void* p, size_t n) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return __libc_realloc(p, n);
}
extern "C" void free(void* p) {
  if (p && gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  __libc_free(p);
}
#endif

namespace {

using tarnwick::aPlug;
using tarnwick::test::InProcessHost;

TEST(AudioThread, AllocatesNothingOverALongRun) {
  // The counter must see an allocation when there is one, or the test proves nothing.
  gWatching.store(true);
  delete new int(5);
  void* volatile p = std::malloc(16);
  std::free(p);
  gWatching.store(false);
  ASSERT_GE(gAllocations.load(), 2);
  gAllocations.store(0);

  const std::string wav = tarnwick::test::writeTestWav("alloc.wav", 3 * 44100);
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.loadAudioFile(wav.c_str()), 0);
  plug.setParameter(2, 0.5f);  // release 1/3 s on the master row

  std::vector<float> left(1024), right(1024);
  float* outs[2] = {left.data(), right.data()};
  std::vector<uint8_t> storage(sizeof(VstEvents) + 8 * sizeof(VstEvent*));
  VstMidiEvent events[8];
  auto* list = reinterpret_cast<VstEvents*>(storage.data());
  std::mt19937 rng(3);

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
      gWatching.store(true);
      plug.processEvents(list);
      plug.processReplacing(nullptr, outs, 256 + static_cast<int32_t>(rng() % 768));
      gWatching.store(false);
      if (b % 50 == 0) InProcessHost::tempo.store(70.0 + static_cast<double>(rng() % 100));
    }
  };

  // Short delays so that held keys loop many times.
  for (int32_t i = 8; i < 40; ++i) plug.setParameter(i, 0.1f);
  run(600);
  plug.setParameter(4, 1.0f);    // trigger layout
  plug.setParameter(7, 0.3f);
  run(600);
  plug.setParameter(265, 3.0f);  // quantized to tempo: the render asks for the tempo every block
  plug.setParameter(1, 0.5f);
  run(600);
  plug.setParameter(5, 1.0f);    // move
  run(600);
  plug.setParameter(6, 1.0f);    // morph: two forward and up to thirty inverse transforms per note
  run(300);
  plug.setParameter(4, 0.0f);
  run(300);
  EXPECT_EQ(gAllocations.load(), 0);
}

}  // namespace
