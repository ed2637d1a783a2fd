# Reads the built client libraries back with objdump: each must export exactly the ordinals the
# program binds, and import only Windows' own DLLs.
# Run as: cmake -DOBJDUMP=... -DCALWIN32=... -DNETWIN32=... -P check_exports.cmake
cmake_minimum_required(VERSION 3.25)
set(expected_CALWIN32 2 7 8 9 11 12 16 115 212 377)
set(expected_NETWIN32 3025)
set(system_dlls kernel32.dll msvcrt.dll ntdll.dll user32.dll advapi32.dll)

set(failures "")
foreach(library CALWIN32 NETWIN32)
  set(file "${${library}}")
  execute_process(COMMAND "${OBJDUMP}" -p "${file}"
    OUTPUT_VARIABLE dump RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${library}: objdump failed on ${file}: ${errors}")
  endif()

  # Export Address Table rows read "[   0] +base[ 377] 16480 Export RVA".
  string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" rows "${dump}")
  set(ordinals "")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "[^0-9]" "" ordinal "${row}")
    list(APPEND ordinals ${ordinal})
  endforeach()
  list(SORT ordinals COMPARE NATURAL)
  set(expected ${expected_${library}})
  list(SORT expected COMPARE NATURAL)
  if(NOT ordinals STREQUAL expected)
    string(APPEND failures "${library}: exports ordinals [${ordinals}], expected [${expected}]\n")
  endif()

  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "DLL Name: " "" name "${import}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    if(NOT lower IN_LIST system_dlls)
      string(APPEND failures "${library}: imports ${name}, which is not part of Windows\n")
    endif()
  endforeach()
  if(imports STREQUAL "")
    string(APPEND failures "${library}: no import table found; is this a DLL?\n")
  endif()
  message(STATUS "${library}: ordinals ${ordinals}")
endforeach()

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}")
endif()
