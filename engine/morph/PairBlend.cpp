// The paired positions of a middle grain: their rotations prepared per grain and per pair, the
// blend itself handed to the kernel for this processor.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/morph/MorphMemory.h"

namespace tarnwick::morphdetail {

namespace {

constexpr int32_t kBins = MorphState::kBinCount;
constexpr double kExactPi = 3.141592653589793238462643383279;
constexpr double kExactTwoPi = 2.0 * kExactPi;
constexpr int32_t kAnchorGrains = 7;  // grains advanced by the phasor before it is recomputed

// Angle in [-pi, pi] as float: the float keeps its full relative precision there.
float reduced(double angle) { return static_cast<float>(angle - kExactTwoPi * std::nearbyint(angle / kExactTwoPi)); }

int32_t laneTurnsFor(PairPlan& plan, int32_t wA, int32_t wB, float stretchA, float stretchB) {
  uint8_t* cached = nullptr;
  if (wA <= PairPlan::kKeyWidths && wB <= PairPlan::kKeyWidths) {
    cached = &plan.keyTurns[(wA - 1) * PairPlan::kKeyWidths + (wB - 1)];
    if (*cached > 0) return *cached - 1;
  }
  if (plan.turnCount >= PairPlan::kMaxTurns) return kOwnTurns;
  const int32_t index = plan.turnCount++;
  fillLaneTurns(stretchA, stretchB, plan.turns[index]);
  if (cached) *cached = static_cast<uint8_t>(index + 1);
  return index;
}

}  // namespace

// Along a pair a stretched side turns by pi per bin of its position (its half-bin turn); b's distance
// to a grows by stretchB - stretchA per position, and b's value carries minus that distance as a shift
// (the grain adds d times the distance to both).
void fillLaneTurns(float stretchA, float stretchB, LaneTurns& turns) {
  const double rA = stretchA, rB = stretchB;
  turns.step[0] = stretchA < 1.0f ? kExactPi * rA : 0.0;
  turns.step[1] = (stretchB < 1.0f ? kExactPi * rB : 0.0) - kShiftRate * (rB - rA);
  float angle[2 * kLanes + 2], sine[2 * kLanes + 2], cosine[2 * kLanes + 2];
  for (int side = 0; side < 2; ++side) {
    for (int j = 0; j < kLanes; ++j) angle[side * kLanes + j] = reduced(j * turns.step[side]);
    angle[2 * kLanes + side] = reduced(kLanes * turns.step[side]);
  }
  sinCos(angle, sine, cosine, 2 * kLanes + 2);
  for (int side = 0; side < 2; ++side) {
    for (int j = 0; j < kLanes; ++j) {
      turns.re[side][j] = cosine[side * kLanes + j];
      turns.im[side][j] = sine[side * kLanes + j];
    }
    turns.runRe[side] = cosine[2 * kLanes + side];
    turns.runIm[side] = sine[2 * kLanes + side];
  }
}

void beginPairs(PairPlan& plan) {
  plan.valid = false;
  plan.prepared = false;
  plan.stepsValid = false;
  plan.jobCount = 0;
  plan.positionTotal = 0;
  plan.turnCount = 0;
  std::fill(std::begin(plan.keyTurns), std::end(plan.keyTurns), 0);
}

void addPair(PairPlan& plan, int32_t sA, int32_t wA, int32_t sB, int32_t wB) {
  if (plan.jobCount >= PairPlan::kMaxJobs) return;
  PairJob& job = plan.jobs[plan.jobCount++];
  // The narrower region is stretched over the wider one, exactly as the positions are defined.
  float stretchA = 1.0f, stretchB = 1.0f;
  if (wA < wB) stretchA = wA == 1 ? 0.0f : static_cast<float>(wA - 1) / static_cast<float>(wB - 1);
  if (wA > wB) stretchB = wB == 1 ? 0.0f : static_cast<float>(wB - 1) / static_cast<float>(wA - 1);
  job.startA = static_cast<int16_t>(sA);
  job.startB = static_cast<int16_t>(sB);
  job.length = static_cast<int16_t>(std::max(wA, wB));
  job.stretchA = stretchA;
  job.stretchB = stretchB;
  job.turns = static_cast<int16_t>(laneTurnsFor(plan, wA, wB, stretchA, stretchB));
  plan.positionTotal += job.length;
}

void finishPairs(PairPlan& plan) {
  // All first rotations in one vectorised pass; the jobs' angle fields are contiguous per job, so
  // they go through a small buffer.
  constexpr int32_t kChunk = 256;
  float angle[kChunk], sine[kChunk], cosine[kChunk];
  for (int32_t first = 0; first < plan.jobCount; first += kChunk) {
    const int32_t n = std::min(kChunk, plan.jobCount - first);
    for (int32_t k = 0; k < n; ++k) angle[k] = pairAngleB(plan.jobs[first + k].startA, plan.jobs[first + k].startB);
    sinCos(angle, sine, cosine, n);
    for (int32_t k = 0; k < n; ++k) {
      plan.jobs[first + k].firstB[0] = cosine[k];
      plan.jobs[first + k].firstB[1] = sine[k];
    }
  }
  plan.valid = true;
}

void blendPairs(PairPlan& plan, const float* spectrumA, const float* magnitudesA, const float* spectrumB,
                const float* magnitudesB, const PairKernelSet& kernels, int32_t step, int32_t count, float e, float d,
                float* out) {
  std::memset(plan.shares, 0, sizeof(float) * 4 * kBins);
  BlendInput blend{
      &plan.positions, e,          d, static_cast<float>(kShiftRate * d), static_cast<float>(kShiftRate / (count - 1)),
      kDirectTurns,    plan.shares};
  PrepareInput prepare{spectrumA, spectrumB, magnitudesA, magnitudesB, plan.jobs, 0, plan.turns};
  if (plan.positionTotal <= kPositionCapacity) {
    // The usual case: every position prepared once for all grains of the note.
    if (!plan.prepared) {
      plan.positions.count = 0;
      prepare.jobCount = plan.jobCount;
      kernels.prepare(prepare, plan.positions);
      plan.prepared = true;
      plan.stepsValid = false;
    }
    // The grains of a note come in order, so each position's shift rotation is carried from one grain
    // to the next by a phasor, and computed from its angle again every few grains.
    if (!plan.stepsValid || plan.stepsCount != count) {
      blend.turns = kNewSteps;
      plan.stepsValid = true;
      plan.stepsCount = count;
      plan.sinceAnchor = 0;
    } else if (step == plan.lastStep + 1 && plan.sinceAnchor < kAnchorGrains) {
      blend.turns = kAdvanceTurns;
      ++plan.sinceAnchor;
    } else {
      blend.turns = kAnchorTurns;
      plan.sinceAnchor = 0;
    }
    plan.lastStep = step;
    kernels.blend(blend);
  } else {
    // More positions than fit (the equal distribution can repeat wide regions many times): prepare
    // and blend them a run of pairs at a time, for every grain.
    for (int32_t first = 0; first < plan.jobCount;) {
      int32_t last = first;
      int64_t total = 0;
      while (last < plan.jobCount && total + plan.jobs[last].length <= kPositionCapacity)
        total += plan.jobs[last++].length;
      prepare.jobs = plan.jobs + first;
      prepare.jobCount = last - first;
      plan.positions.count = 0;
      kernels.prepare(prepare, plan.positions);
      kernels.blend(blend);
      first = last;
    }
  }
  // Bin 0 receives nothing (targets start at 1), so its imaginary slot, which is Nyquist, stays.
  kernels.collect(plan.shares, out);
}

}  // namespace tarnwick::morphdetail
