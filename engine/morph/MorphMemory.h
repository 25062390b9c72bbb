// Internal to the morph: the working memory allocated once per instance, and the numeric helpers.
#pragma once

#include <cstdint>

#include "engine/fft/RealFft4096.h"
#include "engine/morph/MorphState.h"
#include "engine/morph/PairKernels.h"

namespace tarnwick {

namespace morphdetail {

constexpr float kLoud = 1.0f;          // a bin is loud above this magnitude
constexpr float kTinySquare = 1e-36f;  // squared magnitudes below this give magnitude 0

// The region pairs of a note: the pairing depends only on the two region lists and the algorithm,
// and every position's values and grain-independent rotations are prepared once for all its grains.
struct PairPlan {
  // Regions are at least 3 bins wide apart from the first, and neighbours share one bin, so a list of
  // bins 1..2046 holds at most 1023 of them; the pairs of two lists are no more than the longer list.
  static constexpr int32_t kMaxJobs = 1024;
  static constexpr int32_t kKeyWidths = 64;  // pairs of narrower regions share the lane turns of their widths
  // Lane turns kept for the note. Pairs of the same widths share them; a note has a few dozen width
  // pairs (tones plus noise: about 35), and a pair beyond these computes its own where it is prepared.
  static constexpr int32_t kMaxTurns = 64;

  PairJob jobs[kMaxJobs];
  int32_t jobCount = 0;
  int64_t positionTotal = 0;  // sum of the pairs' lengths
  LaneTurns turns[kMaxTurns];
  int32_t turnCount = 0;
  uint8_t keyTurns[kKeyWidths * kKeyWidths];  // index + 1 of the lane turns of widths (wA, wB); 0 none yet

  // What the pairs were made from; regions left over after pairing (for the unpaired rest).
  bool valid = false;
  uint32_t analysis = 0;
  int32_t algorithm = 0;
  int32_t restA = 0, restB = 0;
  bool prepared = false;  // positions hold every pair
  // The shift rotations kept in positions: valid for spans of stepsCount grains, last used by grain
  // lastStep, advanced sinceAnchor times since they were last computed from their angles.
  bool stepsValid = false;
  int32_t stepsCount = 0;
  int32_t lastStep = 0;
  int32_t sinceAnchor = 0;

  PairPositions positions;
  // A grain's shares by target bin T: for T itself and for T + 1, real and imaginary parts together.
  // They lie in the transform's scratch (of the same size), which is idle while a grain is blended and
  // collected, so every blend starts by clearing them.
  float* shares = nullptr;
};
static_assert(sizeof(RealFft4096::Scratch) == 4 * MorphState::kBinCount * sizeof(float),
              "the shares fill the transform's scratch");

// Forgets the pairs, to add those of a new analysis.
void beginPairs(PairPlan& plan);
// Adds the pair of region (sA, wA) of a with region (sB, wB) of b; both must lie in bins 1..2046.
void addPair(PairPlan& plan, int32_t sA, int32_t wA, int32_t sB, int32_t wB);
// After the last addPair: the pairs' first rotations.
void finishPairs(PairPlan& plan);
// Blends every pair for middle grain `step` of a span of `count` grains (weights d = step / (count - 1)
// toward b and e = 1 - d toward a) into bins 1..2047 of out, a packed spectrum (written, not added
// to; bin 0 and the Nyquist value are left alone).
void blendPairs(PairPlan& plan, const float* spectrumA, const float* magnitudesA, const float* spectrumB,
                const float* magnitudesB, const PairKernelSet& kernels, int32_t step, int32_t count, float e, float d,
                float* out);

// sinCos (declared with the kernels): within about one unit in the last place for |angle| below 1000.

// sqrt(re^2 + im^2) in float; squares summing below 1e-36 give 0; overflow gives at most FLT_MAX.
float binMagnitude(float re, float im);
// binMagnitude of bins 1..2047 of a packed spectrum (mag[0] is left alone).
void binMagnitudes(const float* spectrum, float* mag);

// Replaces non-finite values: NaN by 0, infinities by the largest float of their sign.
void clampNonFinite(float* x, int32_t n);
// Replaces every non-finite value by 0 (for sample data).
void zeroNonFinite(float* x, int32_t n);

// Fills mag (2048 entries) and regions from a packed 4096-float spectrum; returns a bound on the
// spectrum's values: its largest magnitude (of bins 1..2047, DC and Nyquist).
float scanPeakRegions(const float* spectrum, float* mag, PeakRegionList& regions);

// Below this bound on both endpoints' values no blend of them and no inverse transform of the blend
// can overflow: a middle grain then needs no check for values that are not finite.
constexpr float kSafeSpectrumBound = 1e30f;

}  // namespace morphdetail

struct MorphState::Memory {
  RealFft4096::Scratch scratch;  // this instance's own: never shared between instances
  alignas(64) float spectrum[2][kSpectrumSize + morphdetail::kTablePad];  // padded for the kernels' runs
  alignas(64) float spectrumOut[kSpectrumSize];
  alignas(64) float magnitude[2][kBinCount + morphdetail::kTablePad];  // padded the same way
  PeakRegionList regions[2];
  alignas(64) float grains[kGrainCount][kGrainLength + 1];
  alignas(64) float spare[kGrainLength + 1];
  morphdetail::PairPlan pairs;
  uint32_t analysis = 0;  // counts region analyses, so that the pairs know when they are stale
  // Per slot, a bound on every value of its spectrum taken by the last analysis (its largest bin
  // magnitude, DC and Nyquist included).
  float largest[2] = {};
  const morphdetail::PairKernelSet* kernels = &morphdetail::activePairKernels();
};

namespace morphdetail {

// Reaches an instance's working memory (tests use it to run each kernel set).
struct StateAccess {
  static MorphState::Memory& memory(MorphState& state) { return *state.m_; }
};

}  // namespace morphdetail

}  // namespace tarnwick
