# Cross-compiles the 32-bit Windows binaries we ship.
set(mingw_cpu i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake)
