# Common part of the MinGW-w64 toolchain files. The including file sets
# MINGW_TRIPLE (x86_64-w64-mingw32 or i686-w64-mingw32) and MINGW_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})

# The posix thread model: the runtime's std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Fully static: nothing but system DLLs beside the binaries
# (with only -static-libgcc/-static-libstdc++ libwinpthread-1.dll is still needed).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Windows programs run under Wine on the build machine.
find_program(KELVANE_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KELVANE_WINE)
  find_program(KELVANE_WINE NAMES wine)
endif()
if(KELVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVANE_WINE})
endif()
