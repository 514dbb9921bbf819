# Cross-builds the core and kalden-report for 64-bit Windows with Debian's
# mingw-w64 compilers (the POSIX-thread variant, so std::thread works).
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The executables link the C and C++ runtimes and winpthread statically, so
# they run on a bare Windows without any extra DLL. With Wine installed,
# ctest runs the test programs through it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KALDEN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KALDEN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALDEN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALDEN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KALDEN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the test programs; the scripts set WINEPREFIX and WINEDEBUG.
find_program(KALDEN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KALDEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KALDEN_WINE})
endif()
