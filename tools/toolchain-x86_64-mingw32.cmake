# Cross-compiles the same sources as 64-bit Windows binaries, for machines
# that cannot run 32-bit programs: there the tests run these under 64-bit
# Wine. The binaries we ship are the i686 ones.
set(mingw_cpu x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake)
