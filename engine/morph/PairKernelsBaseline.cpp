// The pair blend for the baseline instruction set (SSE2 on x86-64), used on every processor.
#include "engine/morph/PairKernels.h"

#define TARNWICK_MORPH_KERNEL_NS baseline
#include "engine/morph/PairKernelsBody.inc"

namespace tarnwick::morphdetail {

const PairKernelSet kBaselinePairKernels{"baseline", &baseline::prepare, &baseline::blend, &baseline::collect};

}  // namespace tarnwick::morphdetail
