// Internal to the morph: the paired region positions of a note, prepared once and blended per grain,
// as kernels per instruction set.
#pragma once

#include <cstdint>

namespace tarnwick::morphdetail {

constexpr float kPi = 3.1415925f;
constexpr float kTwoPi = 2.0f * kPi;
// The shift of a position toward its target turns it by kTwoPi / 4096 per bin.
constexpr double kShiftRate = static_cast<double>(kTwoPi) / 4096.0;

constexpr int32_t kLanes = 8;              // positions handled together
constexpr int32_t kPairBins = 2048;        // bins of a packed spectrum (re and im halves)
constexpr int32_t kTablePad = 2 * kLanes;  // the last run of a pair may read this far past bin 2047
constexpr int32_t kAnchorRuns = 4;         // runs of kLanes positions a rotation is carried before recomputing
// Positions kept prepared for all grains of a note. Pairs of two region lists cover at most about
// 4092 positions (each list's regions share their edge bins), so this holds every pairing but an equal
// distribution that repeats wide regions; those are prepared a run of pairs at a time.
constexpr int32_t kPositionCapacity = 4096;

// The rotation of a position that does not depend on the grain's weights grows by a constant angle
// per position along a pair: pi per bin on a stretched side (its half-bin turn), and for b also the
// part of its shift that is the distance to a. It is carried from lane 0 of a run to lane j by
// re[j] + i im[j], and from one run to the next by run.
struct LaneTurns {
  alignas(32) float re[2][kLanes];  // [0] endpoint a, [1] endpoint b
  alignas(32) float im[2][kLanes];
  double step[2];  // angle per position
  double runRe[2], runIm[2];
};

// Fills the lane turns of a pair with these stretches.
void fillLaneTurns(float stretchA, float stretchB, LaneTurns& turns);

// One region pair: position m (0 .. length-1) reads a at startA + m stretchA, b at startB + m stretchB.
// Regions lie in bins 1..2046, so 16 bits hold every start and length.
struct PairJob {
  int16_t startA, startB;
  int16_t length;
  int16_t turns;  // index of its LaneTurns, or kOwnTurns
  float stretchA, stretchB;
  float firstB[2];  // (cos, sin) of b's rotation at the first position (a's is 0), pairAngleB
};
constexpr int16_t kOwnTurns = -1;  // the pair's lane turns are computed where it is prepared

// b's rotation at the first position of a pair: minus its distance to a as a shift.
inline float pairAngleB(int32_t startA, int32_t startB) { return static_cast<float>(-kShiftRate * (startB - startA)); }

// Every position of a run of pairs, as the grains need them: both source positions and both endpoint
// values turned by the grain-independent rotations.
struct PairPositions {
  alignas(64) float pA[kPositionCapacity + kLanes];
  alignas(64) float pB[kPositionCapacity + kLanes];
  alignas(64) float aRe[kPositionCapacity + kLanes];
  alignas(64) float aIm[kPositionCapacity + kLanes];
  alignas(64) float bRe[kPositionCapacity + kLanes];
  alignas(64) float bIm[kPositionCapacity + kLanes];
  // The grain's shift toward the target grows by the same angle from one grain to the next:
  // the last grain's rotation, and that step.
  alignas(64) float turnRe[kPositionCapacity + kLanes];
  alignas(64) float turnIm[kPositionCapacity + kLanes];
  alignas(64) float stepRe[kPositionCapacity + kLanes];
  alignas(64) float stepIm[kPositionCapacity + kLanes];
  int32_t count;
};

// How a grain gets each position's shift rotation.
enum GrainTurns : int32_t {
  kDirectTurns,   // from its angle
  kAnchorTurns,   // from its angle, kept for the next grain
  kNewSteps,      // from its angle, kept with the step to the next grain
  kAdvanceTurns,  // the last grain's rotation times the step (one complex multiply)
};

struct PrepareInput {
  const float* spectrumA;  // packed, readable kTablePad floats past the end
  const float* spectrumB;
  const float* magnitudesA;  // bins 0..2047, readable kTablePad floats past the end
  const float* magnitudesB;
  const PairJob* jobs;  // the run of pairs to prepare
  int32_t jobCount;
  const LaneTurns* turns;  // by PairJob::turns
};

struct BlendInput {
  PairPositions* positions;
  float e, d;
  float shiftRate;  // rotation per bin of distance: d times 2 pi / 4096
  float stepRate;   // its growth from one grain to the next (kNewSteps)
  GrainTurns turns;
  // By target bin T, four floats: the shares for bin T (re, im) and for bin T + 1 (re, im) of every
  // position aiming at T; zero before the grain's first blend.
  float* shares;
};

struct PairKernelSet {
  const char* name;
  // Appends the positions of input's pairs to positions (which must have room for them).
  void (*prepare)(const PrepareInput& input, PairPositions& positions);
  // Adds every prepared position of one grain to the shares.
  void (*blend)(const BlendInput& input);
  // Writes bins 1..2047 of a packed spectrum from the shares (4 floats per bin, see BlendInput).
  void (*collect)(const float* shares, float* out);
};

extern const PairKernelSet kBaselinePairKernels;
// Null when this build has no AVX2 kernels or the processor (or OS) cannot run them.
const PairKernelSet* avx2PairKernels();
// AVX2 where available, else baseline; both give identical results.
const PairKernelSet& activePairKernels();

// sin and cos of n angles (defined with the morph's numeric helpers).
void sinCos(const float* angle, float* sine, float* cosine, int32_t n);

}  // namespace tarnwick::morphdetail
