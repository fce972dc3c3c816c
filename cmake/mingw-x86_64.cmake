# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model). The product is
# 32-bit (mingw-i686.cmake); scripts/test.sh tests this build of the same sources on machines
# that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
