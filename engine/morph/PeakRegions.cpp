// Magnitudes of an endpoint spectrum and its split into peak regions.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "engine/morph/MorphMemory.h"

namespace tarnwick {

namespace morphdetail {

float scanPeakRegions(const float* spectrum, float* mag, PeakRegionList& regions) {
  constexpr int32_t kBins = MorphState::kBinCount;
  int16_t* start = regions.start;
  int16_t* width = regions.width;
  for (int32_t r = 0; r < kBins; ++r) {
    start[r] = 1;
    width[r] = 1;
  }
  regions.count = 0;

  // Every bin's magnitude is needed by the scan below, so they are all computed up front.
  mag[0] = spectrum[0];
  binMagnitudes(spectrum, mag);
  // Magnitudes are never negative, so their bit patterns order as they do: an integer maximum, which
  // vectorises.
  uint32_t largestBits = 0;
  for (int32_t k = 1; k < kBins; ++k) largestBits = std::max(largestBits, std::bit_cast<uint32_t>(mag[k]));
  const float largest =
      std::max({std::bit_cast<float>(largestBits), std::fabs(spectrum[0]), std::fabs(spectrum[kBins])});

  int32_t last = 0;
  for (int32_t i = 1; i < kBins - 1; ++i) {
    if (mag[i] > kLoud) {
      start[0] = static_cast<int16_t>(i);
      width[0] = 1;
      last = i;
      break;
    }
  }
  // No loud bin, no region: mag[0] is the signed DC value, not a magnitude, and would otherwise
  // open a region of two quiet bins whenever the DC value exceeds 1.
  if (last == 0) return largest;

  // While a region is open its start holds the last bin added; closing turns it into the first.
  int32_t count = 0;
  for (int32_t j = last + 1; j < kBins - 1 && count < kBins; ++j) {
    const int32_t c = count;
    if (mag[j - 1] <= mag[j]) {
      if (mag[j] > kLoud) {
        start[c] = static_cast<int16_t>(j);
        ++width[c];
      }
    } else if (mag[j - 1] > kLoud) {
      if (mag[j] <= mag[j + 1] || mag[j] <= kLoud) {
        start[c] = static_cast<int16_t>(start[c] - (width[c] - 1));
        ++width[c];
        count = c + 1;
      } else {
        start[c] = static_cast<int16_t>(j);
        ++width[c];
      }
    }
  }
  regions.count = count;  // a region still open at the end is not counted
  return largest;
}

}  // namespace morphdetail

void MorphState::findPeakRegions(MorphSlot slot) {
  const int s = slot == MorphSlot::kB ? 1 : 0;
  morphdetail::clampNonFinite(m_->spectrum[s], kSpectrumSize);
  m_->largest[s] = morphdetail::scanPeakRegions(m_->spectrum[s], m_->magnitude[s], m_->regions[s]);
  ++m_->analysis;  // the pairs of the previous analysis are stale
}

}  // namespace tarnwick
