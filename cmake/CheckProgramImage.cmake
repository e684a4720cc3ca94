# Checks the built program's PE image, after each link:
#
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<vimbrel.exe> -DWIDE=ON|OFF -P CheckProgramImage.cmake
#
# - It imports only DLLs that Windows loads from the system folder whatever
#   lies beside the program (KnownDLLs, or comctl32 v6 through the manifest):
#   the program is unpacked into folders such as Downloads, where a web page
#   can drop a DLL, and a DLL that a static import brings in is loaded before
#   the program can restrict the search.
# - It is linked for ASLR (DYNAMIC_BASE, with its relocations kept), DEP
#   (NX_COMPAT) and Remote Desktop sessions (TERMINAL_SERVICE_AWARE), and
#   the 64-bit program (WIDE) for 64-bit ASLR (HIGH_ENTROPY_VA).
cmake_minimum_required(VERSION 3.20)

set(allowed_dlls advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll user32.dll)
set(required_flags DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE)
if(WIDE)
  list(APPEND required_flags HIGH_ENTROPY_VA)
endif()

if(NOT OBJDUMP OR NOT EXISTS "${OBJDUMP}")
  message(FATAL_ERROR "checking ${PROGRAM}: no objdump to read it with ('${OBJDUMP}')")
endif()
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "checking ${PROGRAM}: ${OBJDUMP} -p failed")
endif()

set(problems)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" import_lines "${dump}")
if(NOT import_lines)
  list(APPEND problems "no import table found")
endif()
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  if(NOT dll IN_LIST allowed_dlls)
    list(APPEND problems "imports ${dll}, which Windows may look for beside the program")
  endif()
endforeach()
# A delayed import is loaded by its bare name whenever it is first called.
if(NOT dump MATCHES "Entry d [0-9a-fA-F]+ 00000000 Delay Import Directory")
  list(APPEND problems "has delayed imports")
endif()

# The flags are listed one a line under DllCharacteristics.
string(REGEX MATCH "DllCharacteristics[^\n]*\n([ \t]+[A-Z_]+[^\n]*\n)*" flag_lines "${dump}")
foreach(flag IN LISTS required_flags)
  if(NOT flag_lines MATCHES "[ \t]${flag}\n")
    list(APPEND problems "lacks the flag ${flag}")
  endif()
endforeach()
if(dump MATCHES "relocations stripped")
  list(APPEND problems "has its relocations stripped, so DYNAMIC_BASE cannot move it")
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${PROGRAM}:\n  ${text}")
endif()
