// Internal to the morph: the working memory allocated once per instance, and the numeric helpers.
#pragma once

#include <cstdint>

#include "engine/fft/RealFft4096.h"
#include "engine/morph/MorphState.h"

namespace tarnwick {

namespace morphdetail {

constexpr float kPi = 3.1415925f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kLoud = 1.0f;          // a bin is loud above this magnitude
constexpr float kTinySquare = 1e-36f;  // squared magnitudes below this give magnitude 0
constexpr int32_t kBatch = 512;        // pair positions gathered before each vectorised pass

// Positions of region pairs collected across pairs, then turned into spectrum additions in a few
// long vectorised passes (pairs are often only a handful of bins wide).
struct PairBatch {
  alignas(64) float pA[kBatch];
  alignas(64) float pB[kBatch];
  alignas(64) float tau[kBatch];
  alignas(64) float angle[3][kBatch];  // fraction of the stretched side, A's shift, B's shift
  alignas(64) float sine[3][kBatch];
  alignas(64) float cosine[3][kBatch];
  alignas(64) float reA[kBatch];
  alignas(64) float imA[kBatch];
  alignas(64) float lowA[kBatch];   // magnitude of the bin at or below the position
  alignas(64) float highA[kBatch];  // magnitude of the bin above it
  alignas(64) float reB[kBatch];
  alignas(64) float imB[kBatch];
  alignas(64) float lowB[kBatch];
  alignas(64) float highB[kBatch];
  alignas(64) int32_t bin[kBatch];
  alignas(64) float add[4][kBatch];  // shares for re[T], re[T+1], im[T], im[T+1]
  int32_t count = 0;
};

// What a batch is blended from and into.
struct BlendSource {
  const float* spectrumA;
  const float* magA;
  const float* spectrumB;
  const float* magB;
  float e;  // weight toward endpoint a
  float d;  // weight toward endpoint b
  float* out;
};

// Adds the batch's positions to source.out in the order they were collected, then empties it.
void blendBatch(const BlendSource& source, PairBatch& batch);

// sin and cos of n angles, within about one unit in the last place for |angle| below 1000.
void sinCos(const float* angle, float* sine, float* cosine, int32_t n);

// sqrt(re^2 + im^2) in float; squares summing below 1e-36 give 0; overflow gives at most FLT_MAX.
float binMagnitude(float re, float im);
// binMagnitude of bins 1..2047 of a packed spectrum (mag[0] is left alone).
void binMagnitudes(const float* spectrum, float* mag);

// Replaces non-finite values: NaN by 0, infinities by the largest float of their sign.
void clampNonFinite(float* x, int32_t n);
// Replaces every non-finite value by 0 (for sample data).
void zeroNonFinite(float* x, int32_t n);

// Fills mag (2048 entries) and regions from a packed 4096-float spectrum.
void scanPeakRegions(const float* spectrum, float* mag, PeakRegionList& regions);

}  // namespace morphdetail

struct MorphState::Memory {
  RealFft4096::Scratch scratch;  // this instance's own: never shared between instances
  alignas(64) float spectrum[2][kSpectrumSize];
  alignas(64) float spectrumOut[kSpectrumSize];
  alignas(64) float magnitude[2][kBinCount];
  PeakRegionList regions[2];
  alignas(64) float grains[kGrainCount][kGrainLength + 1];
  alignas(64) float spare[kGrainLength + 1];
  morphdetail::PairBatch batch;
};

}  // namespace tarnwick
