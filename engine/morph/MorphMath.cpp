// Numeric helpers of the morph: a vectorisable sine/cosine, bin magnitudes, non-finite clean-up.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/morph/MorphMemory.h"

namespace tarnwick::morphdetail {

// Reduction to [-pi/4, pi/4] around the nearest multiple of pi/2 (three-part pi/2), then minimax
// polynomials. Written without branches or library calls so that the compiler vectorises it; the
// thousands of rotations of every middle grain made the library's scalar calls the dominant cost.
void sinCos(const float* angle, float* sine, float* cosine, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const float a = angle[i];
    const float scaled = a * 0.636619772f;  // 2 / pi
    const int32_t q = static_cast<int32_t>(scaled + (scaled >= 0.0f ? 0.5f : -0.5f));
    const float k = static_cast<float>(q);
    float r = a - k * 1.5703125f;
    r = r - k * 4.837512969970703125e-4f;
    r = r - k * 7.54978995489188216e-8f;
    const float r2 = r * r;
    const float sp = r + r * r2 * (-1.6666654611e-1f + r2 * (8.3321608736e-3f + r2 * -1.9515295891e-4f));
    const float cp = 1.0f - 0.5f * r2 +
                     r2 * r2 * (4.166664568298827e-2f + r2 * (-1.388731625493765e-3f + r2 * 2.443315711809948e-5f));
    const bool odd = (q & 1) != 0;
    const float s = odd ? cp : sp;
    const float c = odd ? sp : cp;
    sine[i] = (q & 2) != 0 ? -s : s;
    cosine[i] = ((q + 1) & 2) != 0 ? -c : c;
  }
}

float binMagnitude(float re, float im) {
  const float sum = re * re + im * im;
  if (sum < kTinySquare) return 0.0f;
  if (sum <= FLT_MAX) return std::sqrt(sum);
  if (sum != sum) return 0.0f;
  // Squares too large for float: the true magnitude may still fit.
  const double wide = std::sqrt(static_cast<double>(re) * re + static_cast<double>(im) * im);
  return wide < static_cast<double>(FLT_MAX) ? static_cast<float>(wide) : FLT_MAX;
}

void binMagnitudes(const float* spectrum, float* mag) {
  constexpr int32_t kBins = MorphState::kBinCount;
  // The root is taken of every sum and then selected, so that the loop vectorises.
  int32_t overflow = 0;
  for (int32_t k = 1; k < kBins; ++k) {
    const float re = spectrum[k], im = spectrum[kBins + k];
    const float sum = re * re + im * im;
    const float root = std::sqrt(sum);
    mag[k] = sum < kTinySquare ? 0.0f : root;
    overflow |= sum > FLT_MAX ? 1 : 0;
  }
  if (overflow == 0) return;
  for (int32_t k = 1; k < kBins; ++k) mag[k] = binMagnitude(spectrum[k], spectrum[kBins + k]);
}

namespace {

// True when some value is infinite or NaN (exponent bits all set); an integer test that vectorises.
// Four independent accumulators, so that the loop is not held up by one chain of ORs (every grain of
// a morph note is checked).
bool anyNonFinite(const float* x, int32_t n) {
  typedef uint32_t Bits __attribute__((vector_size(16)));
  Bits flags[4] = {};
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    for (int k = 0; k < 4; ++k) {
      Bits v;
      std::memcpy(&v, x + i + 4 * k, sizeof v);
      flags[k] |= (v & 0x7fffffffu) + 0x00800000u;
    }
  }
  const Bits all = flags[0] | flags[1] | flags[2] | flags[3];
  uint32_t rest = all[0] | all[1] | all[2] | all[3];
  for (const float* p = x + i; p < x + n; ++p) rest |= (std::bit_cast<uint32_t>(*p) & 0x7fffffffu) + 0x00800000u;
  return (rest & 0x80000000u) != 0;
}

}  // namespace

void clampNonFinite(float* x, int32_t n) {
  if (!anyNonFinite(x, n)) return;
  for (int32_t i = 0; i < n; ++i) {
    if (x[i] != x[i])
      x[i] = 0.0f;
    else if (x[i] > FLT_MAX)
      x[i] = FLT_MAX;
    else if (x[i] < -FLT_MAX)
      x[i] = -FLT_MAX;
  }
}

void zeroNonFinite(float* x, int32_t n) {
  if (!anyNonFinite(x, n)) return;
  for (int32_t i = 0; i < n; ++i) {
    if (!(std::fabs(x[i]) <= FLT_MAX)) x[i] = 0.0f;
  }
}

}  // namespace tarnwick::morphdetail
