# Cross-builds the Windows programs (64-bit) with Debian's mingw-w64 compilers:
#   cmake --preset windows [-DKOVA_SDL_PREFIX=<SDL 1.2 built for Windows>]
# (default prefix build/win-sdl/prefix); tools/build-windows.sh builds that SDL and runs this.
# find_package(SDL) then finds its static libSDL and libSDLmain, and the programs link
# everything statically, so each .exe runs with nothing beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOVA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOVA_MINGW}-gcc)
set(CMAKE_CXX_COMPILER ${KOVA_MINGW}-g++)
set(CMAKE_RC_COMPILER ${KOVA_MINGW}-windres)

# The compiler checks run this file again in scratch projects: hand the prefix on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOVA_SDL_PREFIX)

# Headers and libraries from the cross toolchain and that SDL only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KOVA_MINGW} ${KOVA_SDL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and the thread library linked in: the .exe imports only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
