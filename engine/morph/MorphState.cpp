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

// The windowed mono copy of length samples from first on, one frame at a time, with zero padding and
// the guard sample.
void windowGrain(const float* left, const float* right, int64_t sourceLength, int64_t first, int32_t length,
                 float* out) {
  const int32_t half = length / 2;
  int32_t fade = kFullFade;
  float step = kFullFadeStep;
  if (half < kFullFade) {
    fade = half;
    step = half > 0 ? 0.5f / static_cast<float>(half) : 0.0f;
  }

  const FrameReader frames(left, right, sourceLength, first);
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
  for (int32_t j = length; j <= MorphState::kGrainLength; ++j) out[j] = 0.0f;  // padding and the guard sample
}

// The window's gains over a full fade, summed one step at a time as the window defines them: the rise
// from 0 and the fall from 0.5. One read-only table for every instance.
struct FullFade {
  float rise[kFullFade];
  float fall[kFullFade];
};

// [any-thread] Built by the first call (the first instance's constructor), only read afterwards.
const FullFade& fullFade() {
  static const FullFade table = [] {
    FullFade f;
    float rise = 0.0f, fall = 0.5f;
    for (int32_t j = 0; j < kFullFade; ++j) {
      f.rise[j] = rise;
      rise += kFullFadeStep;
      f.fall[j] = fall;
      fall -= kFullFadeStep;
    }
    return f;
  }();
  return table;
}

inline float sampleOrZero(float v) { return std::fabs(v) <= FLT_MAX ? v : 0.0f; }

// out[j] = (left[j] + right[j]) * gain[j] for j < n (gain null: 0.5), samples that are not finite read as
// 0. False when the sum of two finite samples overflows somewhere: the window then takes the careful path.
bool windowRun(const float* __restrict left, const float* __restrict right, const float* __restrict gain, int32_t n,
               float* __restrict out) {
  int32_t overflow = 0;
  for (int32_t j = 0; j < n; ++j) {
    const float sum = sampleOrZero(left[j]) + sampleOrZero(right[j]);
    overflow |= std::fabs(sum) <= FLT_MAX ? 0 : 1;
    out[j] = sum * (gain ? gain[j] : 0.5f);
  }
  return overflow == 0;
}

// windowGrain for a full-length grain that lies inside the recording, vectorised; false (out partly
// written) when it does not apply.
bool windowWholeGrain(const float* left, const float* right, int64_t sourceLength, int64_t first, int32_t length,
                      float* out) {
  if (!left || !right || length != MorphState::kGrainLength || first < 0 || first > sourceLength - length) return false;
  const FullFade& fade = fullFade();
  const int32_t tail = length - kFullFade;
  bool ok = windowRun(left + first, right + first, fade.rise, kFullFade, out);
  ok &= windowRun(left + first + kFullFade, right + first + kFullFade, nullptr, tail - kFullFade, out + kFullFade);
  ok &= windowRun(left + first + tail, right + first + tail, fade.fall, kFullFade, out + tail);
  out[length] = 0.0f;  // the guard sample
  return ok;
}

}  // namespace

MorphState::MorphState() : m_(std::make_unique<Memory>()) {
  fullFade();  // the window table is built here, not at the first note
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

  float* out = m_->grains[g];
  if (!windowWholeGrain(left, right, sourceLength, readPos, length, out))
    windowGrain(left, right, sourceLength, readPos, length, out);

  const int s = slotIndex(slot);
  RealFft4096::forward(out, m_->spectrum[s], m_->scratch);
  findPeakRegions(slot);
}

}  // namespace tarnwick
