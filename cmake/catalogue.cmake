# The program's German messages for the build: a C++ table of { English,
# translation } pairs in UTF-8, made from a Qt translation file
# (ui/telvor_de.ts):
#   cmake -DSOURCE=x.ts -DOUTPUT=x.inc -P catalogue.cmake
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
