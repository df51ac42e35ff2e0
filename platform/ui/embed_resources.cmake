# cmake -DSCRIPT=... -DHEADER=... -DOUTPUT=... -P embed_resources.cmake
# Writes a C++ source holding both files' text as raw string literals.
file(READ ${SCRIPT} script_text)
file(READ ${HEADER} header_text)
foreach(text IN ITEMS script_text header_text)
  string(FIND "${${text}}" ")varne_text" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${text} contains the raw string delimiter")
  endif()
endforeach()
file(WRITE ${OUTPUT}
"// Generated from app/resources at build time; do not edit.
#include \"platform/ui/embedded_resources.h\"

namespace varne::ui {

const char kResourceScript[] = R\"varne_text(${script_text})varne_text\";
const char kResourceHeader[] = R\"varne_text(${header_text})varne_text\";

}  // namespace varne::ui
")
