// The spectral grain morph: endpoint analysis, peak regions and the synthesis of the middle grains.
#pragma once

#include <cstdint>
#include <memory>

namespace tarnwick {

enum class MorphSlot { kA, kB };

namespace morphdetail {
struct StateAccess;
}

// Peak regions of one endpoint spectrum: region r covers bins start[r] .. start[r] + width[r] - 1.
struct PeakRegionList {
  int16_t start[2048];
  int16_t width[2048];
  int32_t count;
};

// One per instrument. All working memory, the transform's scratch included, is allocated and zeroed
// by the constructor; nothing is allocated afterwards. Instances share nothing writable, so they may
// run on different threads at once.
class MorphState {
 public:
  static constexpr int32_t kGrainCount = 32;
  static constexpr int32_t kGrainLength = 4096;
  static constexpr int32_t kSpectrumSize = 4096;
  static constexpr int32_t kBinCount = 2048;

  MorphState();  // [ui-thread]
  ~MorphState();
  MorphState(const MorphState&) = delete;
  MorphState& operator=(const MorphState&) = delete;

  // kGrainLength samples plus one zero guard sample, read from index 0. A grain number outside
  // 0..31 gets a spare silent buffer that the morph itself never writes.
  float* grainBuffer(int32_t g);
  const float* grainBuffer(int32_t g) const;

  // [audio-thread] Fills grainBuffer(g) with the mono average of the recording from readPos on,
  // with linear fades of 680 samples (half the length for shorter grains) and zero padding, then
  // analyses it into the slot's spectrum and peak regions. `remaining` is the grain length; 4095 or
  // more becomes 4096 and is written back, 0 or less gives a silent endpoint. Samples outside
  // 0 .. sourceLength - 1, and samples that are not finite, read as 0.
  void analyseEndpoint(const float* left, const float* right, int64_t sourceLength, int32_t readPos, int32_t& remaining,
                       int32_t g, MorphSlot slot);

  // [audio-thread] Magnitudes and peak regions from the slot's spectrum. Values in the spectrum that
  // are not finite are replaced first (NaN by 0, infinities by the largest float of their sign).
  void findPeakRegions(MorphSlot slot);

  // [audio-thread] Fills grainBuffer(g) with the blend of the two endpoints for morphStep, then
  // advances morphStep (back to 1 after the span's last middle grain). `algorithm` 0 = weighted copy,
  // 1 = linear copy, 2 = equally distributed; any other value acts as 0. `morphGrainCount` is the
  // span length a..b inclusive; below 3 (or NaN) it acts as 3. A morphStep outside 1..count-2
  // restarts at 1. A grain number outside 0..31 makes the call do nothing.
  void synthesiseGrain(int32_t g, int32_t algorithm, float morphGrainCount);

  // 1-based number of the next middle grain.
  int32_t morphStep = 1;

  // Working data, for inspection (and for constructing spectra in tests: a spectrum written here is
  // taken up by the next findPeakRegions of its slot, which also bounds its values for the synthesis).
  float* spectrum(MorphSlot slot);
  const float* spectrum(MorphSlot slot) const;
  const float* magnitudes(MorphSlot slot) const;  // kBinCount entries; [0] holds the raw DC value
  const PeakRegionList& regions(MorphSlot slot) const;
  const float* spectrumOut() const;

 private:
  friend struct morphdetail::StateAccess;
  struct Memory;
  std::unique_ptr<Memory> m_;
};

}  // namespace tarnwick
