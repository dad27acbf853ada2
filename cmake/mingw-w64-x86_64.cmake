# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads variant,
# whose C++ runtime has std::thread): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# scripts/windows-check uses it and runs the programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEL_MINGW_PREFIX}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the build machine's
# /usr (whose headers are Linux's); programs are the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The x86-64 baseline, as on Linux: the vector kernels choose their instruction set at run
# time, so the programs run on any 64-bit processor and use the best it has.
# GCC cannot align the stack beyond 16 bytes on Windows (GCC bug 54412), so its aligned
# moves of 32- and 64-byte vectors spilled there could fault in AVX2 or AVX-512 code; the
# assembler writes them as unaligned moves instead (as fast on aligned data).
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
# Static libgcc, libstdc++ and winpthread: the .exe files run without the compiler's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
