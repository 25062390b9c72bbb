// The heap that one instance of the built plug-in holds, counted through its ABI: Tarnwick.so is
// opened as a host opens it, and this binary's malloc and free (which the plug-in's statically linked
// operator new calls) keep the live byte count. The first instance also pays for the tables that
// every instance shares; the second one shows what each further instance costs. The reference from
// the same run is the target of 1.5 MiB per instance.
#include <dlfcn.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "vst/VstInterface.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* __libc_memalign(size_t, size_t);
extern "C" void __libc_free(void*);

namespace {

std::atomic<long long> gLive{0};
std::atomic<long long> gPeak{0};

void added(void* p) {
  if (!p) return;
  const long long now =
      gLive.fetch_add(static_cast<long long>(malloc_usable_size(p))) + static_cast<long long>(malloc_usable_size(p));
  long long peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}

void removed(void* p) {
  if (p) gLive.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
}

}  // namespace

extern "C" {
void* malloc(size_t n) {
  void* p = __libc_malloc(n);
  added(p);
  return p;
}
void* calloc(size_t a, size_t b) {
  void* p = __libc_calloc(a, b);
  added(p);
  return p;
}
void* realloc(void* old, size_t n) {
  const long long before = old ? static_cast<long long>(malloc_usable_size(old)) : 0;
  void* p = __libc_realloc(old, n);
  if (p || n == 0) gLive.fetch_sub(before);  // the old block is gone (moved, resized or freed)
  added(p);
  return p;
}
void* aligned_alloc(size_t alignment, size_t n) {
  void* p = __libc_memalign(alignment, n);
  added(p);
  return p;
}
void* memalign(size_t alignment, size_t n) {
  void* p = __libc_memalign(alignment, n);
  added(p);
  return p;
}
int posix_memalign(void** out, size_t alignment, size_t n) {
  void* p = __libc_memalign(alignment, n);
  if (!p) return 12;  // ENOMEM
  added(p);
  *out = p;
  return 0;
}
void free(void* p) {
  removed(p);
  __libc_free(p);
}
}

namespace {

intptr_t VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Opens an instance as a host does (create, open, rate and block size, resume) and returns it.
AEffect* openInstance(AEffect* (*entry)(audioMasterCallback)) {
  AEffect* effect = entry(&hostCallback);
  if (!effect) return nullptr;
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  return effect;
}

void closeInstance(AEffect* effect) {
  effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

double kib(long long bytes) { return static_cast<double>(bytes) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : TARNWICK_PLUGIN_PATH;
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "cannot open %s: %s\n", path, dlerror());
    return 1;
  }
  auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
  if (!entry) return 1;

  constexpr long long kTarget = 1536 * 1024;  // 1.5 MiB
  const long long before = gLive.load();
  gPeak.store(before);
  AEffect* first = openInstance(entry);
  const long long afterFirst = gLive.load();
  const long long peakFirst = gPeak.load();
  AEffect* second = openInstance(entry);
  const long long afterSecond = gLive.load();
  if (!first || !second) return 1;
  closeInstance(second);
  closeInstance(first);
  const long long afterClose = gLive.load();

  std::printf("heap held by instances of %s (live bytes of malloc'd blocks)\n", path);
  std::printf("first instance (with the shared tables) %9.1f KiB   peak while opening %9.1f KiB\n",
              kib(afterFirst - before), kib(peakFirst - before));
  std::printf("each further instance                   %9.1f KiB   target %9.1f KiB   ratio %5.2fx\n",
              kib(afterSecond - afterFirst), kib(kTarget), static_cast<double>(afterSecond - afterFirst) / kTarget);
  std::printf("first instance against the target                                          ratio %5.2fx\n",
              static_cast<double>(afterFirst - before) / kTarget);
  std::printf("left after both closed (shared tables kept for the process) %9.1f KiB\n", kib(afterClose - before));
  return 0;
}
