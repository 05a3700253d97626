# What both MinGW-w64 toolchain files share; each sets KAVELO_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first, then includes this file.
#
# The win32-threads flavour of MinGW-w64: the posix-threads flavour links a threading layer into
# every program that imports GetTickCount64 (missing before Windows Vista, so nothing would start
# on Windows XP) and the thread-suspension functions; the launcher creates no thread and needs
# none of them.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${KAVELO_MINGW_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KAVELO_MINGW_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KAVELO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KAVELO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
