# Cross-building for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64):
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# Programs built here run under wine when CTest runs them (runUnderWine.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(quorvel_mingw_prefix x86_64-w64-mingw32)
# The POSIX thread flavour has std::mutex, which GoogleTest needs; the module uses no threads
# and is the same with either.
find_program(CMAKE_C_COMPILER NAMES ${quorvel_mingw_prefix}-gcc-posix ${quorvel_mingw_prefix}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${quorvel_mingw_prefix}-g++-posix ${quorvel_mingw_prefix}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${quorvel_mingw_prefix}-windres)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "${quorvel_mingw_prefix}-g++ not found (Debian: g++-mingw-w64-x86-64)")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${quorvel_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and the module carry their C and C++ runtimes inside, so that they need
# nothing beyond the system's DLLs, under wine as on Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CTest runs the Windows programs under wine, in a wine prefix of this build's own.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/runUnderWine.sh ${CMAKE_BINARY_DIR}/wineprefix)
endif()
