# Cross build for 64-bit Windows with Debian's mingw-w64 (the compiler with
# POSIX threads), linked statically so that telvor.exe needs no DLL beside
# it:
#
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The test programs then run under Wine (cmake/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TELVOR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TELVOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELVOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TELVOR_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TELVOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in: only Windows' own DLLs remain.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
