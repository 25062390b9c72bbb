// Synthesis of one middle grain: the endpoints' peak regions paired and moved toward each other.
#include <algorithm>

#include "engine/Numeric.h"
#include "engine/morph/MorphMemory.h"

namespace tarnwick {

namespace {

constexpr int32_t kBins = MorphState::kBinCount;

bool validRegion(const PeakRegionList& r, int32_t index) {
  const int32_t s = r.start[index], w = r.width[index];
  return s >= 1 && w >= 1 && s + w - 1 <= kBins - 2;
}

// Adds the source's bins from `from` to 2047, real and imaginary parts, scaled.
void addTail(const float* src, int32_t from, float scale, float* out) {
  from = std::max(from, 1);
  for (int32_t k = from; k < kBins; ++k) {
    out[k] += scale * src[k];
    out[kBins + k] += scale * src[kBins + k];
  }
}

}  // namespace

void MorphState::synthesiseGrain(int32_t g, int32_t algorithm, float morphGrainCount) {
  if (g < 0 || g >= kGrainCount) return;
  if (algorithm < 0 || algorithm > 2) algorithm = 0;
  const int32_t c = std::max(truncSaturate(morphGrainCount), 3);
  const int32_t t = morphStep >= 1 && morphStep <= c - 2 ? morphStep : 1;
  const float d = static_cast<float>(t) / static_cast<float>(c - 1);
  const float e = 1.0f - d;

  Memory& mem = *m_;
  const float* specA = mem.spectrum[0];
  const float* specB = mem.spectrum[1];
  float* out = mem.spectrumOut;
  const PeakRegionList& regA = mem.regions[0];
  const PeakRegionList& regB = mem.regions[1];
  const int32_t countA = std::clamp(regA.count, 0, kBins);
  const int32_t countB = std::clamp(regB.count, 0, kBins);

  if (countA == 0 || countB == 0) {
    for (int32_t k = 0; k < kSpectrumSize; ++k) out[k] = e * specA[k] + d * specB[k];
  } else {
    out[0] = e * specA[0] + d * specB[0];
    out[kBins] = 0.0f;  // Nyquist; the pairs write every other value

    // The pairing depends on the region lists and the algorithm only: once per note.
    morphdetail::PairPlan& plan = mem.pairs;
    if (!plan.valid || plan.analysis != mem.analysis || plan.algorithm != algorithm) {
      morphdetail::beginPairs(plan);
      float stepA = 1.0f, stepB = 1.0f, accA = 0.0f, accB = 0.0f;
      if (algorithm == 2) {
        if (countA > countB)
          stepB = static_cast<float>(countB) / static_cast<float>(countA);
        else
          stepA = static_cast<float>(countA) / static_cast<float>(countB);
      }
      int32_t ra = 0, rb = 0;
      while (ra < countA && rb < countB) {
        if (validRegion(regA, ra) && validRegion(regB, rb))
          morphdetail::addPair(plan, regA.start[ra], regA.width[ra], regB.start[rb], regB.width[rb]);
        accA += stepA;
        accB += stepB;
        ra = static_cast<int32_t>(accA);
        rb = static_cast<int32_t>(accB);
      }
      morphdetail::finishPairs(plan);
      plan.analysis = mem.analysis;
      plan.algorithm = algorithm;
      plan.restA = ra;
      plan.restB = rb;
    }
    morphdetail::blendPairs(plan, specA, mem.magnitude[0], specB, mem.magnitude[1], *mem.kernels, t, c, e, d, out);
    const int32_t ra = plan.restA, rb = plan.restB;

    // Regions left without a partner once one list has run out.
    if (countA != countB && algorithm != 2) {
      if (ra >= countA && rb < countB)
        addTail(specB, regB.start[rb], algorithm == 0 ? d : 1.0f, out);
      else if (rb >= countB && ra < countA)
        addTail(specA, regA.start[ra], algorithm == 0 ? e : 1.0f, out);
    }
  }

  float* grain = mem.grains[g];
  RealFft4096::inverse(out, grain, mem.scratch);
  // Spectra this small cannot blend or transform into values that are not finite.
  if (!(std::max(mem.largest[0], mem.largest[1]) <= morphdetail::kSafeSpectrumBound))
    morphdetail::zeroNonFinite(grain, kGrainLength);
  grain[kGrainLength] = 0.0f;
  morphStep = t >= c - 2 ? 1 : t + 1;
}

}  // namespace tarnwick
