# morvane on Windows: the platform's own file replacement, module loading and file stamps
# in place of the POSIX ones, 64-bit file offsets, and CLI11 (header only) taken from the
# build machine in a cross build.
set(morvane_posix_sources atomicReplace.cpp pluginModule.cpp)
get_target_property(morvane_sources morvane_core SOURCES)
list(REMOVE_ITEM morvane_sources ${morvane_posix_sources})
list(APPEND morvane_sources atomicReplaceWindows.cpp fileStampWindows.cpp pluginModuleWindows.cpp)
set_property(TARGET morvane_core PROPERTY SOURCES ${morvane_sources})
target_compile_definitions(morvane_core PUBLIC _FILE_OFFSET_BITS=64)

if(CMAKE_CROSSCOMPILING)
  find_path(MORVANE_CLI11_INCLUDE_DIR CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH
            PATHS /usr/include /usr/local/include)
  if(NOT MORVANE_CLI11_INCLUDE_DIR)
    message(FATAL_ERROR "CLI11 not found on the build machine (Debian: libcli11-dev)")
  endif()
  # Only CLI11's own folder: the build machine's other headers are not for Windows.
  set(morvane_cli11_copy ${CMAKE_BINARY_DIR}/cli11/include)
  file(COPY ${MORVANE_CLI11_INCLUDE_DIR}/CLI DESTINATION ${morvane_cli11_copy})
  target_include_directories(morvane_core SYSTEM PUBLIC ${morvane_cli11_copy})
endif()
