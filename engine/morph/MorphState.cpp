// The morph's working memory and the analysis of the two endpoint grains.
#include <cfloat>
#include <cmath>

#include "engine/morph/MorphMemory.h"

namespace tarnwick {

namespace {

constexpr int32_t kFullFade = 680;
constexpr float kFullFadeStep = 1.0f / 1360.0f;

inline int slotIndex(MorphSlot slot) { return slot == MorphSlot::kB ? 1 : 0; }

// Mono sum of one frame times its window gain; frames outside the recording and samples that are
// not finite count as silence.
class FrameReader {
 public:
  FrameReader(const float* left, const float* right, int64_t length, int64_t first)
      : left_(left), right_(right), length_(left && right ? length : 0), first_(first) {}

  float windowed(int32_t j, float gain) const {
    const int64_t p = first_ + j;
    if (p < 0 || p >= length_) return 0.0f;
    const float l = finiteOrZero(left_[p]);
    const float r = finiteOrZero(right_[p]);
    const float sum = l + r;
    if (std::fabs(sum) <= FLT_MAX) return sum * gain;
    // Two huge samples of one sign: their average still fits.
    const double wide = (static_cast<double>(l) + r) * gain;
    return static_cast<float>(wide > FLT_MAX ? FLT_MAX : wide < -FLT_MAX ? -FLT_MAX : wide);
  }

 private:
  static float finiteOrZero(float v) { return std::fabs(v) <= FLT_MAX ? v : 0.0f; }

  const float* left_;
  const float* right_;
  int64_t length_;
  int64_t first_;
};

}  // namespace

MorphState::MorphState() : m_(std::make_unique<Memory>()) {
  m_->pairs.shares = m_->scratch.data;
  RealFft4096::prepare();  // the transform's tables are built here, not at the first note
}

MorphState::~MorphState() = default;

float* MorphState::grainBuffer(int32_t g) { return g >= 0 && g < kGrainCount ? m_->grains[g] : m_->spare; }

const float* MorphState::grainBuffer(int32_t g) const { return g >= 0 && g < kGrainCount ? m_->grains[g] : m_->spare; }

float* MorphState::spectrum(MorphSlot slot) { return m_->spectrum[slotIndex(slot)]; }
const float* MorphState::spectrum(MorphSlot slot) const { return m_->spectrum[slotIndex(slot)]; }
const float* MorphState::magnitudes(MorphSlot slot) const { return m_->magnitude[slotIndex(slot)]; }
const PeakRegionList& MorphState::regions(MorphSlot slot) const { return m_->regions[slotIndex(slot)]; }
const float* MorphState::spectrumOut() const { return m_->spectrumOut; }

void MorphState::analyseEndpoint(const float* left, const float* right, int64_t sourceLength, int32_t readPos,
                                 int32_t& remaining, int32_t g, MorphSlot slot) {
  if (g < 0 || g >= kGrainCount) return;
  if (remaining >= kGrainLength - 1) remaining = kGrainLength;
  const int32_t length = remaining > 0 ? remaining : 0;

  const int32_t half = length / 2;
  int32_t fade = kFullFade;
  float step = kFullFadeStep;
  if (half < kFullFade) {
    fade = half;
    step = half > 0 ? 0.5f / static_cast<float>(half) : 0.0f;
  }

  const FrameReader frames(left, right, sourceLength, readPos);
  float* out = m_->grains[g];
  float rise = 0.0f;
  for (int32_t j = 0; j < fade; ++j) {
    out[j] = frames.windowed(j, rise);
    rise += step;
  }
  for (int32_t j = fade; j < length - fade; ++j) out[j] = frames.windowed(j, 0.5f);
  float fall = 0.5f;
  for (int32_t j = length - fade; j < length; ++j) {
    out[j] = frames.windowed(j, fall);
    fall -= step;
  }
  for (int32_t j = length; j <= kGrainLength; ++j) out[j] = 0.0f;  // padding and the guard sample

  const int s = slotIndex(slot);
  RealFft4096::forward(out, m_->spectrum[s], m_->scratch);
  findPeakRegions(slot);
}

}  // namespace tarnwick
