# What every build of the project's sources shares (the product, the benchmarks, the fuzz targets):
# C++17 without compiler extensions, a default build type, and the programs in bin/.
macro(kavelo_project_defaults default_build_type)
  set(CMAKE_CXX_STANDARD 17)
  set(CMAKE_CXX_STANDARD_REQUIRED ON)
  set(CMAKE_CXX_EXTENSIONS OFF)
  if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE ${default_build_type} CACHE STRING "Build type" FORCE)
  endif()
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
endmacro()

# Warnings are errors on every toolchain (MinGW-w64 for Windows, GCC or Clang on the host);
# compiler-specific flags live only here.
add_library(kavelo_options INTERFACE)
target_compile_options(kavelo_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wcast-qual -Wformat=2 -Werror)

# Every program is built for the oldest Windows it runs on, Windows XP: the platform's headers then
# give only the constants and record sizes XP accepts (QS_ALLINPUT without the touch and pointer
# input Windows 8 added, which Windows 7 and earlier refuse), and anything newer is looked up at
# run time. The host's portability header follows the same level, so the simulated platform sees
# what Windows would be handed.
target_compile_definitions(kavelo_options INTERFACE _WIN32_WINNT=0x0501 WINVER=0x0501)

# The Windows programs are self-contained: the runtimes are linked in statically, so that each
# program imports system DLLs only, and unused code is dropped from the result.
#
# PE header: ASLR (--dynamicbase, which keeps the relocations) and DEP (--nxcompat) stay on;
# --tsaware tells a Remote Desktop / Terminal Server session that the programs keep their
# settings per user, so Windows does not map their file and registry access to shared copies.
#
# The same sources give the same bytes in any folder: no time stamp in the PE header
# (the header checksum is then fixed as well), and build paths that reach the objects
# (debug info, __FILE__ in runtime headers) are rewritten to fixed names.
add_library(kavelo_windows_program INTERFACE)
#
# They are optimised for size (-Os, after the build type's own level): what they do takes no time
# worth speeding up (the launcher waits for the display and the application, Lisko for the file
# system), and the tools come out about a third smaller than at -O3.
if(WIN32)
  target_compile_options(kavelo_windows_program INTERFACE
    -Os -ffunction-sections -fdata-sections
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=src -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
  target_link_options(kavelo_windows_program INTERFACE
    -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
    -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--no-insert-timestamp)
endif()

# Host builds can run everything under AddressSanitizer and UndefinedBehaviorSanitizer; any
# finding ends the program (tools/run-sanitizers.sh).
option(KAVELO2_SANITIZE "Build the host code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KAVELO2_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "KAVELO2_SANITIZE is for the host build")
  endif()
  # Line tables (-g1) are all that the sanitizers' reports need, and compile a sixth faster than -g.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=address,undefined)
endif()

# A console program with a wide-character entry point (wmain), built with MinGW-w64.
function(kavelo_wide_console_program target)
  if(MINGW)
    target_compile_options(${target} PRIVATE -municode)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# Calls of `functions` made by whatever links `target` go to __wrap_<function> instead (GNU ld's
# --wrap), for a test's own stand-ins; `scope` is PRIVATE, PUBLIC or INTERFACE.
function(kavelo_wrap_calls target scope)
  foreach(function ${ARGN})
    target_link_options(${target} ${scope} -Wl,--wrap=${function})
  endforeach()
endfunction()

# The fuzz targets' build (fuzz/CMakeLists.txt, clang only): everything instrumented with
# AddressSanitizer and UndefinedBehaviorSanitizer and libFuzzer's coverage, and each target with
# libFuzzer's main.
macro(kavelo_fuzz_instrumentation)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endmacro()
function(kavelo_fuzz_target target)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endfunction()

# A host program that links `library` whole, with nothing behind the platform's declarations and
# with the C runtime's file functions taken from it: any platform call or file access in any of
# the library's sources is then an undefined reference, and the program does not link. The host's
# CTest builds such programs (tests/CMakeLists.txt).
set(KAVELO_FILE_FUNCTIONS fopen fopen64 freopen fread fwrite fclose fflush fgets fputs fprintf
    printf puts remove rename)
function(kavelo_platform_free_program target library)
  add_executable(${target} EXCLUDE_FROM_ALL ${ARGN})
  target_link_libraries(${target} PRIVATE kavelo_options "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
  kavelo_wrap_calls(${target} PRIVATE ${KAVELO_FILE_FUNCTIONS})
endfunction()
