# The hardening Debian builds its own packages with, for the Linux program,
# the tests and the benchmarks alike: the flags come from dpkg-buildflags
# with every hardening feature asked for, so they follow the distribution.
# The optimisation and debug-information choices stay the build type's,
# and the source folder is not mapped to ".": the tests find their data
# beside their sources through __FILE__, and the shipped program is
# stripped and names no path of the build. Sanitizer and fuzzing builds
# keep their own instrumentation: _FORTIFY_SOURCE's checked calls would
# hide reads and writes from ASan.
find_program(VARNE_DPKG_BUILDFLAGS dpkg-buildflags DOC "from the Debian package dpkg-dev")
if(NOT VARNE_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags not found: install the Debian package dpkg-dev")
endif()

# The set depends on the architecture built for, which is not this
# machine's when cross-compiling.
function(varne_buildflags variable output)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            DEB_HOST_ARCH=${VARNE_DEB_ARCH} ${VARNE_DPKG_BUILDFLAGS} --get ${variable}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|ffile-prefix-map=.*)$")
  set(${output} ${flags} PARENT_SCOPE)
endfunction()

varne_buildflags(CPPFLAGS preprocessor_flags)
varne_buildflags(CXXFLAGS compile_flags)
varne_buildflags(LDFLAGS link_flags)

# Debian 12's dpkg predates stack-clash and control-flow protection in its
# hardening set, though its compiler has both; Debian 13's names them itself.
# Control-flow protection is -fcf-protection on x86 and branch protection on
# arm64: each is added where the compiler takes it.
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection -mbranch-protection=standard)
  string(MAKE_C_IDENTIFIER "VARNE_HAS${flag}" has_flag)
  if(NOT flag IN_LIST compile_flags)
    check_cxx_compiler_flag(${flag} ${has_flag})
    if(${has_flag})
      list(APPEND compile_flags ${flag})
    endif()
  endif()
endforeach()

add_compile_options(${preprocessor_flags} ${compile_flags})
add_link_options(${link_flags})
# Debian's compiler makes position-independent executables by default; say
# it, so that another compiler cannot quietly drop it.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
