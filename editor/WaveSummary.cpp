// The recording reduced to one peak per wave-display column.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "editor/EditorModel.h"

namespace tarnwick {

void summariseWave(const float* left, const float* right, int32_t frames, float length, WaveSummary& summary) {
  std::fill(std::begin(summary.peakLeft), std::end(summary.peakLeft), 0.0f);
  std::fill(std::begin(summary.peakRight), std::end(summary.peakRight), 0.0f);
  summary.length = length;
  summary.present = left != nullptr && right != nullptr && frames > 0 && length > 0.0f && std::isfinite(length);
  if (!summary.present) return;
  // Each column takes the samples that fit before the accumulated pixel fraction reaches 1.
  const float step = static_cast<float>(kWaveColumns) / (length + 1.0f);
  int32_t i = 0;
  for (int32_t x = 0; x < kWaveColumns; ++x) {
    float peakL = 0.0f, peakR = 0.0f;
    for (float acc = step; acc < 1.0f && i < frames; acc += step, ++i) {
      peakL = std::max(peakL, std::fabs(left[i]));
      peakR = std::max(peakR, std::fabs(right[i]));
    }
    summary.peakLeft[x] = peakL;
    summary.peakRight[x] = peakR;
  }
}

}  // namespace tarnwick
