# The libraries of the source folders (docs/layout.md), and the check that
# each uses only the libraries it may.
#
# telvor_library(NAME [FOLDERS folder...] [EXCLUDE file...] [USES name...]
#                [SYSTEM library...])
#   The static library telvor_NAME of every *.cpp in the FOLDERs (relative
#   to the calling folder; "." when none are given) but the files EXCLUDEd
#   (relative to the calling folder; headers too, for the include check),
#   which links the TELVOR libraries telvor_<name> it USES and the SYSTEM
#   libraries, and nothing else: what a library may call is what it links.
#
# With TELVOR_LAYERING (on Linux) every library is also linked as a shared
# object, telvor_NAME_layering in layering/, from all of its code and the
# libraries it links, with -Wl,--no-undefined: a call to a library it does
# not link (a layer above it, or one beside it) is a link error of the
# default build. The libraries are compiled as position-independent code
# for that.
#
# The linker sees calls only; a header of a layer above used for its
# constants or inline functions is caught at configure time instead: every
# #include "FOLDER/..." in the library's sources and headers must name its
# own source folder or that of a library it USES (ui_qt's is ui/).
option(TELVOR_LAYERING "Link each library alone to check what it uses (Linux)" ${UNIX})
if(TELVOR_LAYERING)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  set(TELVOR_LAYERING_SOURCE ${CMAKE_BINARY_DIR}/generated/layering.cpp)
  file(CONFIGURE OUTPUT ${TELVOR_LAYERING_SOURCE} CONTENT "// The layering check's shared objects hold only their library's code.\n")
  add_custom_target(layering ALL)
endif()

function(telvor_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;EXCLUDE;USES;SYSTEM")
  if(NOT arg_FOLDERS)
    set(arg_FOLDERS .)
  endif()
  # The sources and headers of the FOLDERs but those EXCLUDEd.
  set(sources)
  set(headers)
  foreach(folder ${arg_FOLDERS})
    cmake_path(ABSOLUTE_PATH folder NORMALIZE)
    string(REGEX REPLACE "/$" "" folder "${folder}")
    file(GLOB folder_sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    file(GLOB folder_headers CONFIGURE_DEPENDS ${folder}/*.h)
    list(APPEND sources ${folder_sources})
    list(APPEND headers ${folder_headers})
  endforeach()
  foreach(file ${arg_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    list(REMOVE_ITEM headers ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()

  # The folders its includes may name: its own and those of the libraries
  # it uses (tests/support's headers are included as support/...).
  file(RELATIVE_PATH own ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" own_top "${own}")
  cmake_path(GET own FILENAME own_name)
  set(folders ${own_top} ${own_name})
  set(uses)
  foreach(library ${arg_USES})
    list(APPEND uses telvor_${library})
    string(REGEX REPLACE "_.*" "" library_top "${library}")
    list(APPEND folders ${library_top})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  foreach(file ${sources} ${headers})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" included "${line}")
      if(NOT included IN_LIST folders)
        file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${file})
        message(FATAL_ERROR "${shown}: ${line}: telvor_${name} may use only ${folders}")
      endif()
    endforeach()
  endforeach()

  set(target telvor_${name})
  add_library(${target} STATIC ${sources})
  target_link_libraries(${target} PUBLIC ${uses} ${arg_SYSTEM})
  target_compile_options(${target} PRIVATE ${TELVOR_WARNINGS})
  if(TELVOR_LAYERING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # Calls within a library stay direct (and inlined) as without -fPIC.
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()

  if(TELVOR_LAYERING)
    add_library(${target}_layering SHARED ${TELVOR_LAYERING_SOURCE})
    target_link_libraries(${target}_layering PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
    target_link_options(${target}_layering PRIVATE LINKER:--no-undefined)
    set_target_properties(${target}_layering PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layering)
    add_dependencies(layering ${target}_layering)
  endif()
endfunction()
