# The part of the mingw-w64 cross toolchains that does not depend on the
# processor: the including file sets mingw_cpu (i686 or x86_64) first. The
# posix thread-model compilers are the ones GoogleTest builds with; the
# programs run under Wine through tools/wine.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${mingw_cpu})

set(CMAKE_C_COMPILER   ${mingw_cpu}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_cpu}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${mingw_cpu}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_cpu}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine.sh)
