# What a Windows user downloads, made into ${CMAKE_BINARY_DIR}/dist by the
# target windows_artefacts (part of the default build):
#   varne-<version>-windows-x64.zip  varne.exe (stripped), README.md, LICENSE
#   varne-<version>-setup.exe        the NSIS installer of the same files
# Included from app/ in the Windows build, after the varne target.

find_program(VARNE_MAKENSIS makensis DOC "NSIS compiler (Debian package nsis)")

set(VARNE_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(VARNE_STAGE_DIR ${CMAKE_BINARY_DIR}/windows-stage)
set(VARNE_STAGED_PROGRAM ${VARNE_STAGE_DIR}/varne.exe)
set(VARNE_LICENSE_FILE ${PROJECT_SOURCE_DIR}/LICENSE)
set(VARNE_README_FILE ${PROJECT_SOURCE_DIR}/README.md)
set(VARNE_ZIP ${VARNE_DIST_DIR}/varne-${PROJECT_VERSION}-windows-x64.zip)
set(VARNE_SETUP ${VARNE_DIST_DIR}/varne-${PROJECT_VERSION}-setup.exe)

# The shipped copy carries no symbols: they are most of the file, and
# nothing a user's debugger could use without the sources anyway.
add_custom_command(
  OUTPUT ${VARNE_STAGED_PROGRAM} ${VARNE_STAGE_DIR}/README.md ${VARNE_STAGE_DIR}/LICENSE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VARNE_STAGE_DIR}
  COMMAND ${CMAKE_STRIP} --strip-all -o ${VARNE_STAGED_PROGRAM} $<TARGET_FILE:varne>
  COMMAND ${CMAKE_COMMAND} -E copy ${VARNE_README_FILE} ${VARNE_LICENSE_FILE} ${VARNE_STAGE_DIR}
  # The zip records modes; the umask must not decide them.
  COMMAND chmod 0755 ${VARNE_STAGED_PROGRAM}
  COMMAND chmod 0644 ${VARNE_STAGE_DIR}/README.md ${VARNE_STAGE_DIR}/LICENSE
  DEPENDS varne ${VARNE_README_FILE} ${VARNE_LICENSE_FILE}
  COMMENT "Staging the stripped varne.exe"
  VERBATIM)

# The zip's member times: the release's commit time, which scripts/package.sh
# exports, else the earliest time a zip can hold. Zip times are local, hence
# TZ=UTC. (zip: Debian package zip.)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  # string(TIMESTAMP) reads SOURCE_DATE_EPOCH rather than the clock.
  string(TIMESTAMP VARNE_ZIP_MTIME "%Y-%m-%d %H:%M:%S UTC" UTC)
else()
  set(VARNE_ZIP_MTIME "1980-01-01 00:00:00 UTC")
endif()

add_custom_command(
  OUTPUT ${VARNE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VARNE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VARNE_ZIP}
  # Not cmake -E tar: it records each file's access and change times too.
  # zip -X keeps only the DOS time and the mode; -D, no folder entries.
  COMMAND touch -d "${VARNE_ZIP_MTIME}" varne.exe README.md LICENSE
  COMMAND env TZ=UTC zip -X -D -q ${VARNE_ZIP} varne.exe README.md LICENSE
  WORKING_DIRECTORY ${VARNE_STAGE_DIR}
  DEPENDS ${VARNE_STAGED_PROGRAM} ${VARNE_STAGE_DIR}/README.md ${VARNE_STAGE_DIR}/LICENSE
  COMMENT "Packing ${VARNE_ZIP}"
  VERBATIM)

# varne_nsis_installer(OUTPUT file VERSION x.y.z PROGRAM exe): an installer
# of `exe` under the version given. The tests make an older one with it, in
# their own directory: hence no variables of this one below.
function(varne_nsis_installer)
  cmake_parse_arguments(arg "" "OUTPUT;VERSION;PROGRAM" "" ${ARGN})
  set(script ${PROJECT_SOURCE_DIR}/packaging/windows/varne.nsi)
  set(readme ${PROJECT_SOURCE_DIR}/README.md)
  set(licence ${PROJECT_SOURCE_DIR}/LICENSE)
  set(icon ${PROJECT_SOURCE_DIR}/packaging/icons/varne.ico)
  string(REGEX MATCH "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" parts "${arg_VERSION}")
  if(NOT parts)
    message(FATAL_ERROR "varne_nsis_installer: VERSION must be x.y.z, got '${arg_VERSION}'")
  endif()
  set(quad "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.0")
  get_filename_component(out_dir ${arg_OUTPUT} DIRECTORY)
  if(VARNE_MAKENSIS)
    set(make_it ${VARNE_MAKENSIS} -V2 -INPUTCHARSET UTF8
        -DVARNE_VERSION=${arg_VERSION} -DVARNE_VERSION_QUAD=${quad}
        -DVARNE_PROGRAM=${arg_PROGRAM} -DVARNE_README=${readme} -DVARNE_LICENSE=${licence}
        -DVARNE_ICON=${icon} -DVARNE_OUTFILE=${arg_OUTPUT} ${script})
  else()
    # Fails when the installer is wanted, not when the build is configured.
    set(make_it ${CMAKE_COMMAND} -E false)
    message(WARNING "makensis not found (Debian package nsis): the Windows installer cannot be built")
  endif()
  add_custom_command(
    OUTPUT ${arg_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${make_it}
    DEPENDS ${script} ${arg_PROGRAM} ${readme} ${licence} ${icon}
    COMMENT "Making the installer ${arg_OUTPUT}"
    VERBATIM)
endfunction()

varne_nsis_installer(OUTPUT ${VARNE_SETUP} VERSION ${PROJECT_VERSION} PROGRAM ${VARNE_STAGED_PROGRAM})

add_custom_target(windows_artefacts ALL DEPENDS ${VARNE_ZIP} ${VARNE_SETUP})
# For the installer's test, in another directory.
set_target_properties(windows_artefacts PROPERTIES
  VARNE_SETUP ${VARNE_SETUP} VARNE_STAGED_PROGRAM ${VARNE_STAGED_PROGRAM})
