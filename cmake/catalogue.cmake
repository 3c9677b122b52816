# The program's translations for the build, made from a Qt translation file
# (runtime/telvor_de.ts):
#   cmake -DMODE=table -DSOURCE=x.ts -DOUTPUT=x.inc -P catalogue.cmake
#     a C++ table of { English, translation } pairs in UTF-8, for the
#     Windows program;
#   cmake -DMODE=bytes -DSOURCE=x.qm -DOUTPUT=x.cpp -DNAME=x -P catalogue.cmake
#     the compiled translation file (lrelease) as the bytes of NAME and its
#     size NAME_size, for the Qt program.
if(MODE STREQUAL "table")
  file(READ "${SOURCE}" ts)
  if(ts MATCHES ";")
    message(FATAL_ERROR "${SOURCE}: a translation must not hold a semicolon")
  endif()
  string(REGEX MATCHALL "<message>[^<]*<source>[^<]*</source>[^<]*<translation>[^<]*</translation>"
    messages "${ts}")
  set(table "// Made by cmake/catalogue.cmake from ${SOURCE}.\n")
  foreach(message IN LISTS messages)
    string(REGEX REPLACE ".*<source>([^<]*)</source>.*<translation>([^<]*)</translation>.*"
      "\\1\n\\2" pair "${message}")
    string(REPLACE "&lt;" "<" pair "${pair}")
    string(REPLACE "&gt;" ">" pair "${pair}")
    string(REPLACE "&quot;" "\"" pair "${pair}")
    string(REPLACE "&apos;" "'" pair "${pair}")
    string(REPLACE "&amp;" "&" pair "${pair}")
    string(REGEX REPLACE "^([^\n]*)\n(.*)$" "{R\"telvor(\\1)telvor\", R\"telvor(\\2)telvor\"},\n"
      line "${pair}")
    string(APPEND table "${line}")
  endforeach()
  file(WRITE "${OUTPUT}" "${table}")
elseif(MODE STREQUAL "bytes")
  file(READ "${SOURCE}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(WRITE "${OUTPUT}" "// Made by cmake/catalogue.cmake from ${SOURCE}.\n#include <cstddef>\n"
    "extern const unsigned char ${NAME}[] = {${bytes}};\n"
    "extern const std::size_t ${NAME}_size = ${size};\n")
else()
  message(FATAL_ERROR "MODE must be table or bytes")
endif()
