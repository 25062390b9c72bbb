// The pair blend compiled for AVX2 (this file alone gets -mavx2); chosen at run time.
// No FMA: keeping the operations unfused gives results identical to the baseline kernel.
#include "engine/morph/PairKernels.h"

#if defined(TARNWICK_MORPH_AVX2)

#define TARNWICK_MORPH_KERNEL_NS avx2
#include "engine/morph/PairKernelsBody.inc"

namespace tarnwick::morphdetail {

// Constant-initialised: no code from this file runs unless the processor has AVX2.
extern const PairKernelSet kAvx2PairKernels;
const PairKernelSet kAvx2PairKernels{"avx2", &avx2::prepare, &avx2::blend, &avx2::collect};

}  // namespace tarnwick::morphdetail

#endif
