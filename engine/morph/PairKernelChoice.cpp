// Picks the pair blend kernel for this processor.
#include "engine/morph/PairKernels.h"

namespace tarnwick::morphdetail {

#if defined(TARNWICK_MORPH_AVX2)
extern const PairKernelSet kAvx2PairKernels;
#endif

const PairKernelSet* avx2PairKernels() {
#if defined(TARNWICK_MORPH_AVX2) && (defined(__GNUC__) || defined(__clang__))
  // Also checks that the operating system saves the AVX registers.
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available ? &kAvx2PairKernels : nullptr;
#else
  return nullptr;
#endif
}

const PairKernelSet& activePairKernels() {
  static const PairKernelSet& active = avx2PairKernels() ? *avx2PairKernels() : kBaselinePairKernels;
  return active;
}

}  // namespace tarnwick::morphdetail
