# Cross build of the 64-bit Windows DLL and its tests with Debian's MinGW-w64 compilers.
set(tarnwick_mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
