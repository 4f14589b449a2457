# Shared part of the MinGW-w64 toolchains. QUILLANE_MINGW_ARCH is set by the
# file that includes this one; the thread model decides which compilers build:
# "win32" for the shipping program (no thread runtime to carry), "posix" where
# test programs need std::mutex (GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUILLANE_MINGW_ARCH})

if(NOT DEFINED QUILLANE_MINGW_THREADS)
  set(QUILLANE_MINGW_THREADS win32)
endif()
set(QUILLANE_MINGW_THREADS ${QUILLANE_MINGW_THREADS} CACHE STRING "MinGW thread model: win32 or posix")

set(_triple ${QUILLANE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-${QUILLANE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${_triple}-g++-${QUILLANE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows test programs run under Wine; the loader is a parameter of the
# wrapper, not of the build.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/wine-run.sh)
