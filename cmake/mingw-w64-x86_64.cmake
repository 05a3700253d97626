# Cross-compiles the same sources as 64-bit PE files with MinGW-w64, win32-threads flavour: a test
# build (build/windows-x86_64) for machines that cannot run 32-bit code, where only the 64-bit
# Wine runs the end-to-end tests, the demo and the benchmarks. It is never shipped: the release
# zip and its checks come from the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KAVELO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-win32-threads.cmake)
