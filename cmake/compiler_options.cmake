# Warnings are errors on every toolchain; compiler-specific flags live only here.
add_library(kavelo_options INTERFACE)
if(MSVC)
  target_compile_options(kavelo_options INTERFACE /W4 /WX /permissive- /utf-8)
  target_compile_definitions(kavelo_options INTERFACE _CRT_SECURE_NO_WARNINGS)
else()
  target_compile_options(kavelo_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wcast-qual -Wformat=2 -Werror)
endif()

# The Windows programs are self-contained: the runtimes are linked in statically, so that each
# program imports system DLLs only, and unused code is dropped from the result.
add_library(kavelo_windows_program INTERFACE)
if(WIN32 AND NOT MSVC)
  target_compile_options(kavelo_windows_program INTERFACE -ffunction-sections -fdata-sections)
  target_link_options(kavelo_windows_program INTERFACE
    -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
elseif(MSVC)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>" PARENT_SCOPE)
endif()
