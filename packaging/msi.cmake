# Makes the Windows installer once telvor.exe is built (packaging/windows.cmake
# runs it in the build folder, where wixl finds the files): wixl with the
# size of the installed files in KB, which the entry among the installed
# programs carries (ARPSIZE).
#   cmake -DWIXL=wixl -DWXS=telvor.wxs -DMSI=telvor.msi -DFILES="a|b|..." -P msi.cmake
string(REPLACE "|" ";" files "${FILES}")
set(total 0)
foreach(file IN LISTS files)
  file(SIZE "${file}" size)
  math(EXPR total "${total} + ${size}")
endforeach()
math(EXPR kilobytes "(${total} + 1023) / 1024")
execute_process(COMMAND "${WIXL}" --arch x64 -D InstalledSize=${kilobytes} -o "${MSI}" "${WXS}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "wixl could not make ${MSI}")
endif()
