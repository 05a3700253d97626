# Resources that every shipped Windows program carries, one call each:
#   kavelo_version_block(<target> "<description>")   the version block Explorer shows
#   kavelo_gui_manifest(<target>)                    the application manifest
#
# No string in a version block and no program name may hold "setup", "install", "update" or
# "patch": Windows' installer detection would ask for elevation for a program without a manifest
# (Lisko.exe); the release tests check the version blocks for them.

set(KAVELO_RESOURCE_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/windows_resources)

function(kavelo_version_block target description)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  get_target_property(suffix ${target} SUFFIX)
  if(NOT suffix)
    set(suffix ${CMAKE_EXECUTABLE_SUFFIX})
  endif()
  set(KAVELO_VERSION_DESCRIPTION "${description}")
  set(KAVELO_VERSION_NAME ${output_name})
  set(KAVELO_VERSION_FILE ${output_name}${suffix})
  set(rc ${PROJECT_BINARY_DIR}/resources/${target}_version.rc)
  configure_file(${KAVELO_RESOURCE_TEMPLATES}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# The one manifest of every GUI program (and of kavelo2-config, so that its mode list is the
# launcher's). What it says, and why:
#   - requestedExecutionLevel asInvoker, uiAccess false: the program runs with the rights of the
#     user who starts it, and Windows Vista and later skip their installer detection, which would
#     otherwise ask for elevation when the launcher is renamed to a name such as "setup.exe".
#     The trustInfo element carries its own default namespace urn:schemas-microsoft-com:asm.v2,
#     declared once and without a prefix. That is the form Windows XP SP3 reads: XP's parser
#     rejects a trustInfo in the assembly's asm.v1 namespace ("the application configuration is
#     incorrect", the program does not start), and the asm.v3 form with a duplicated namespace
#     declaration made unpatched XP SP2 and Server 2003 restart. Vista and later read both.
#   - supportedOS for Windows Vista and 7 only. A program that declares Windows 8 or later can no
#     longer list or set modes under 32 bits per pixel, so DEPTH:16 and DEPTH:8 would stop
#     matching. The compatibility element has a namespace of its own, which XP skips.
#   - No DPI awareness: Windows only ever scales an unaware window up, so the backdrop keeps
#     covering the whole screen.
set(KAVELO_GUI_MANIFEST ${PROJECT_BINARY_DIR}/resources/gui.manifest)
configure_file(${KAVELO_RESOURCE_TEMPLATES}/gui.manifest.in ${KAVELO_GUI_MANIFEST} @ONLY)
configure_file(${KAVELO_RESOURCE_TEMPLATES}/gui_manifest.rc.in
               ${PROJECT_BINARY_DIR}/resources/gui_manifest.rc @ONLY)

function(kavelo_gui_manifest target)
  set(rc ${PROJECT_BINARY_DIR}/resources/gui_manifest.rc)
  target_sources(${target} PRIVATE ${rc})
  # The resource compiler reads the manifest, which CMake's scan of the .rc file does not see.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${KAVELO_GUI_MANIFEST})
endfunction()
