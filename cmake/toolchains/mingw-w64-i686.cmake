# Cross build of the 32-bit Windows DLL and its tests with Debian's MinGW-w64 compilers.
set(tarnwick_mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# Every x86 processor a host still runs on has SSE2: floats stay in SSE registers, as on x86_64, so the
# 32-bit DLL computes what the 64-bit one does (no x87 extended precision).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
