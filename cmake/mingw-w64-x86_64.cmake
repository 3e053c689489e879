# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads,
# so that the C++ standard library's threads are there).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix)
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix)

# Libraries are looked for in the cross-built dependencies and the MinGW
# root only, never among the build machine's own.
set(VEMLA_WINDOWS_DEPS "" CACHE PATH "Where the cross-built libraries are installed")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VEMLA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's MinGW zlib is both a static archive and an import library for
# zlib1.dll; FindZLIB (and FindPNG through it) takes the archive, so that
# programs need no DLL besides Windows' own.
set(ZLIB_USE_STATIC_LIBS ON)
