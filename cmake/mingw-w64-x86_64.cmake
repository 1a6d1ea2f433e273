# Cross-builds the native 64-bit Windows programs with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64). The posix thread variant is the one with std::thread and
# std::mutex, which the sound device and GoogleTest need.
#
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR /usr/bin/${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${triple}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++ 12 builds std::counting_semaphore on atomic waits, which on a system
# without futexes go through a shared pool of condition variables; there a release
# can miss its waiter (seen here: the sound device's render thread sleeping forever
# under Wine). Its semaphore over the threads library's own semaphores does not.
# GCC keeps 32-byte vector values on a Windows stack it aligns to 16 only, with aligned
# moves that fault (GCC bug 54412); the assembler makes every such move an unaligned
# one, for the render loops' AVX2 forms.
set(CMAKE_CXX_FLAGS_INIT "-D_GLIBCXX_USE_POSIX_SEMAPHORE=1 -Wa,-muse-unaligned-vector-move")

# Statically linked programs need nothing beside them but the system's own DLLs
# (no libstdc++, libgcc or winpthread DLL to ship).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs are run under Wine, never at build time: GoogleTest's discovery waits
# until ctest runs (if it is used at all).
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
find_program(ZBK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZBK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZBK_WINE})
endif()
