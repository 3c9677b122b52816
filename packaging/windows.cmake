# telvor.exe's icon, and the Windows installer telvor-<version>.msi (made
# with wixl where it is installed; scripts/build-windows packs the zip).

# The icon resource (windows/telvor.rc): the drawing in the sizes
# Windows shows, the largest kept as PNG as Windows Vista and later read it.
find_program(TELVOR_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(TELVOR_ICOTOOL icotool REQUIRED)
set(generated ${CMAKE_BINARY_DIR}/generated)
set(icon_pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/telvor-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons
    COMMAND ${TELVOR_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_CURRENT_SOURCE_DIR}/telvor.svg
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/telvor.svg VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
list(POP_BACK icon_pngs largest)
set(TELVOR_ICO ${generated}/telvor.ico)
add_custom_command(OUTPUT ${TELVOR_ICO}
  COMMAND ${TELVOR_ICOTOOL} -c -o ${TELVOR_ICO} ${icon_pngs} -r ${largest}
  DEPENDS ${icon_pngs} ${largest} VERBATIM)
add_custom_target(telvor_icon DEPENDS ${TELVOR_ICO})
add_dependencies(telvor telvor_icon)
# windres tells no dependencies: the icon and the manifest are named here.
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/windows/telvor.rc TARGET_DIRECTORY telvor
  PROPERTIES OBJECT_DEPENDS "${TELVOR_ICO};${CMAKE_CURRENT_SOURCE_DIR}/windows/telvor.manifest")

# The texts that go with telvor.exe, with Windows line ends for Notepad.
set(text_sources packaging/windows/README-Windows.txt LICENSE)
set(text_targets README.txt LICENSE.txt)
foreach(source target IN ZIP_LISTS text_sources text_targets)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${source})
  file(READ ${CMAKE_SOURCE_DIR}/${source} content)
  # Written only when it changes, so that the installer is not made anew.
  file(CONFIGURE OUTPUT ${generated}/${target} CONTENT "${content}" @ONLY NEWLINE_STYLE CRLF)
endforeach()

find_program(TELVOR_WIXL wixl)
if(NOT TELVOR_WIXL)
  message(STATUS "wixl not found: no Windows installer")
  return()
endif()
# wixl finds the files by paths relative to the folder it runs in.
set(msi_names TELVOR_SERVICE TELVOR_FILTER TELVOR_README TELVOR_LICENSE TELVOR_ICO)
set(msi_paths ${CMAKE_CURRENT_SOURCE_DIR}/TELVOR.service ${CMAKE_CURRENT_SOURCE_DIR}/TELVOR.filter
  ${generated}/README.txt ${generated}/LICENSE.txt ${TELVOR_ICO})
# The installed files, whose size the entry among the installed programs
# carries (the icon is kept by the installer, not installed).
set(installed_files $<TARGET_FILE:telvor> ${msi_paths})
list(REMOVE_ITEM installed_files ${TELVOR_ICO})
list(JOIN installed_files "|" installed_files)
foreach(name path IN ZIP_LISTS msi_names msi_paths)
  list(APPEND msi_inputs ${path})
  file(RELATIVE_PATH ${name} ${CMAKE_BINARY_DIR} ${path})
endforeach()
set(TELVOR_EXE "$<TARGET_FILE_NAME:telvor>")  # in the build folder
configure_file(telvor.wxs.in ${CMAKE_CURRENT_BINARY_DIR}/telvor.wxs.configured @ONLY)
file(GENERATE OUTPUT ${generated}/telvor.wxs INPUT ${CMAKE_CURRENT_BINARY_DIR}/telvor.wxs.configured)
set(msi ${CMAKE_BINARY_DIR}/telvor-${PROJECT_VERSION}.msi)
add_custom_command(OUTPUT ${msi}
  COMMAND ${CMAKE_COMMAND} -DWIXL=${TELVOR_WIXL} -DWXS=${generated}/telvor.wxs -DMSI=${msi}
          -DFILES=${installed_files} -P ${CMAKE_CURRENT_SOURCE_DIR}/msi.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS telvor ${generated}/telvor.wxs ${msi_inputs} ${CMAKE_CURRENT_SOURCE_DIR}/msi.cmake VERBATIM)
add_custom_target(telvor_msi ALL DEPENDS ${msi})
