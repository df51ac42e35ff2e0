# varne_glob_library(name pattern...): a static library of the sources that
# match the patterns (relative to the current source directory). The file
# list is re-read at build time, so adding a source needs no CMake edit.
function(varne_glob_library name)
  set(sources)
  foreach(pattern IN LISTS ARGN)
    file(GLOB matched CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${matched})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/app/win_main\\.cpp$")
  add_library(${name} STATIC ${sources} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
endfunction()
