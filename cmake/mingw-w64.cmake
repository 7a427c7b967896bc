# Cross-building for Windows with Debian's MinGW-w64. SALVIND_MINGW_ARCH picks
# the target: x86_64 (the default) or i686. Programs made for the target run
# under wine64 (x86_64 only: i686 needs 32-bit support the build machines
# may not have).
if(NOT SALVIND_MINGW_ARCH)
  set(SALVIND_MINGW_ARCH x86_64)
endif()
set(_triple ${SALVIND_MINGW_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SALVIND_MINGW_ARCH})
# The posix thread model: the test framework needs std::mutex and friends.
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's runtime into every program, so a staged tree needs no
# DLLs from the build machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

if(SALVIND_MINGW_ARCH STREQUAL "x86_64")
  find_program(SALVIND_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(SALVIND_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SALVIND_WINE64})
  endif()
endif()
