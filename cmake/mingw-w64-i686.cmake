# Cross-compiles the Windows programs as 32-bit PE files with MinGW-w64, win32-threads flavour:
# the build that ships (build/windows).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KAVELO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-win32-threads.cmake)
