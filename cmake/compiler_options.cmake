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
# program imports system DLLs only, and unused code is dropped from the result. (With MSVC the
# static runtime is chosen by CMAKE_MSVC_RUNTIME_LIBRARY in the top-level CMakeLists.txt.)
add_library(kavelo_windows_program INTERFACE)
if(WIN32 AND NOT MSVC)
  target_compile_options(kavelo_windows_program INTERFACE -ffunction-sections -fdata-sections)
  target_link_options(kavelo_windows_program INTERFACE
    -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
endif()

# Host builds can run everything under AddressSanitizer and UndefinedBehaviorSanitizer; any
# finding ends the program (tools/run-sanitizers.sh).
option(KAVELO2_SANITIZE "Build the host code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KAVELO2_SANITIZE)
  if(WIN32 OR MSVC)
    message(FATAL_ERROR "KAVELO2_SANITIZE is for the host build")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()
