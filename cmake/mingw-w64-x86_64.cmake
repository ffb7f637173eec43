# Cross-build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix thread model is the one with std::mutex and std::thread, which GoogleTest needs.
# Everything is linked statically, so that the executables need none of MinGW's DLLs.
# When Wine's wine64 is installed, it runs the test executables (CMAKE_CROSSCOMPILING_EMULATOR)
# in a Wine prefix of the build directory's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVTEST_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVTEST_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVTEST_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVTEST_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KAVTEST_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 puts its launcher in Wine's library directory, not on the PATH.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(KAVTEST_WINE64 wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
  find_program(KAVTEST_WINE64 wine64)
  if(KAVTEST_WINE64)
    # A throwaway prefix in the build directory, no debug channels, and no offer to install
    # Wine's .NET and HTML engines (console programs need neither).
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
            WINEDLLOVERRIDES=mscoree,mshtml= ${KAVTEST_WINE64})
  endif()
endif()
