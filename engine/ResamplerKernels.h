// Internal to the resampler: the filter loops per instruction set, chosen at run time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick::resamplekernels {

// One stretch of output frames whose taps all lie inside src. Frame n's taps start at
// src + whole(n) and use the row of its phase; each next frame moves the phase on by stepRest and
// the start by stepWhole, plus one when the phase passes up.
struct Run {
  const float* rows;  // tablePhases + 1 rows of taps coefficients
  int32_t taps;       // a multiple of 8
  uint32_t up;        // phases of the exact ratio
  uint32_t tablePhases;
  uint32_t stepWhole;
  uint32_t stepRest;
  uint32_t phase;  // of the first frame, 0 .. up - 1
  const float* srcL;
  const float* srcR;
  float* outL;
  float* outR;
  int64_t count;
};

using RunFn = void (*)(const Run& run);

struct KernelSet {
  const char* name;
  RunFn exact;         // tablePhases == up: one row per phase
  RunFn interpolated;  // tablePhases < up: a blend of the two nearest rows
};

extern const KernelSet kBaselineKernels;
// Null when this build has no AVX2 kernels or the processor (or OS) cannot run them.
const KernelSet* avx2Kernels();
// AVX2 with FMA where available, else baseline. Their results differ only by float rounding.
const KernelSet& activeKernels();

}  // namespace tarnwick::resamplekernels
