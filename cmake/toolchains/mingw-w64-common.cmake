# What both MinGW-w64 toolchains share; the including file sets tarnwick_mingw_arch (x86_64 or i686).
# Debian's compilers with the POSIX thread model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${tarnwick_mingw_arch})
set(CMAKE_C_COMPILER ${tarnwick_mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${tarnwick_mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${tarnwick_mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${tarnwick_mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees only libraries built for the target, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${tarnwick_mingw_arch}-w64-mingw32/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
