// The inner work of a middle grain: each paired position's values from both endpoints, turned
// toward the target frequency, blended and shared between the two bins around the target.
#include <algorithm>

#include "engine/morph/MorphMemory.h"

namespace tarnwick::morphdetail {

namespace {

constexpr int32_t kBins = MorphState::kBinCount;
constexpr int32_t kLastTarget = kBins - 2;  // a target bin T also receives T + 1
constexpr float kShiftScale = 1.0f / 4096.0f;

void gather(const float* spectrum, const float* mag, const float* pos, int32_t n, float* re, float* im, float* low,
            float* high) {
  for (int32_t i = 0; i < n; ++i) {
    const int32_t k = std::clamp(static_cast<int32_t>(pos[i]), 1, kBins - 2);
    re[i] = spectrum[k];
    im[i] = spectrum[kBins + k];
    low[i] = mag[k];
    high[i] = mag[k + 1];
  }
}

inline float fraction(float p) { return p - static_cast<float>(static_cast<int32_t>(p)); }

// The value at a position p = i + f. On a bin (f = 0) it is the bin's own value. Between bins it is
// the lower bin's value scaled to the interpolated magnitude and turned by pi f; a lower bin of
// magnitude 0 gives no direction to scale, so it contributes nothing.
inline void valueAt(float f, float re, float im, float low, float high, float sine, float cosine, float& x, float& y) {
  // Every operand computed unconditionally and then selected, so that the loop stays branch-free.
  const float ratio = ((1.0f - f) * low + f * high) / (low > 0.0f ? low : 1.0f);
  const float gain = low > 0.0f ? ratio : 0.0f;
  const float gx = gain * re;
  const float gy = gain * im;
  const float xr = gx * cosine - gy * sine;
  const float yr = gx * sine + gy * cosine;
  x = f != 0.0f ? xr : re;
  y = f != 0.0f ? yr : im;
}

}  // namespace

void blendBatch(const BlendSource& source, PairBatch& b) {
  const int32_t n = b.count;
  const float e = source.e, d = source.d;
  for (int32_t i = 0; i < n; ++i) {
    const float pA = b.pA[i], pB = b.pB[i];
    const float blended = e * pA + d * pB;
    const float lowered = blended - 1.0f;
    const float tau = blended >= 2047.0f ? lowered : blended;
    b.tau[i] = tau;
    // Only the stretched side of a pair falls between bins, the other one's fraction is exactly 0,
    // so one angle row serves both sides.
    b.angle[0][i] = kPi * (fraction(pA) + fraction(pB));
    b.angle[1][i] = kTwoPi * (tau - pA) * kShiftScale;
    b.angle[2][i] = kTwoPi * (tau - pB) * kShiftScale;
  }
  for (int row = 0; row < 3; ++row) sinCos(b.angle[row], b.sine[row], b.cosine[row], n);
  gather(source.spectrumA, source.magA, b.pA, n, b.reA, b.imA, b.lowA, b.highA);
  gather(source.spectrumB, source.magB, b.pB, n, b.reB, b.imB, b.lowB, b.highB);

  for (int32_t i = 0; i < n; ++i) {
    float xA, yA, xB, yB;
    valueAt(fraction(b.pA[i]), b.reA[i], b.imA[i], b.lowA[i], b.highA[i], b.sine[0][i], b.cosine[0][i], xA, yA);
    valueAt(fraction(b.pB[i]), b.reB[i], b.imB[i], b.lowB[i], b.highB[i], b.sine[0][i], b.cosine[0][i], xB, yB);
    const float sA = b.sine[1][i], cA = b.cosine[1][i];
    const float sB = b.sine[2][i], cB = b.cosine[2][i];
    const float re = e * (xA * cA - yA * sA) + d * (xB * cB - yB * sB);
    const float im = e * (xA * sA + yA * cA) + d * (xB * sB + yB * cB);
    const float tau = b.tau[i];
    const int32_t t = static_cast<int32_t>(tau);
    const float phi = tau - static_cast<float>(t);
    b.bin[i] = t;
    b.add[0][i] = (1.0f - phi) * re;
    b.add[1][i] = phi * re;
    b.add[2][i] = (1.0f - phi) * im;
    b.add[3][i] = phi * im;
  }

  // In collection order: neighbouring positions often land on the same bins.
  float* out = source.out;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t t = b.bin[i];
    if (t < 0 || t > kLastTarget) continue;
    out[t] += b.add[0][i];
    out[t + 1] += b.add[1][i];
    if (t > 0) out[kBins + t] += b.add[2][i];  // bin 0 has no imaginary slot: that one is Nyquist
    out[kBins + 1 + t] += b.add[3][i];
  }
  b.count = 0;
}

}  // namespace tarnwick::morphdetail
