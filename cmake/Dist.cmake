# Packs the zip that users unpack; `make dist` runs it as
#   cmake -DPROGRAM_I686=<32-bit vimbrel.exe> -DPROGRAM_X86_64=<64-bit vimbrel.exe>
#         -DDIST_DIR=<folder to pack in> -P cmake/Dist.cmake
# The zip is named after the version and holds the folder vimbrel: both
# programs, readme.txt (docs/readme.txt.in with the version and the copyright
# line put in) and LICENSE.txt. Both texts get CR LF line ends, and readme.txt
# a byte order mark, so that Notepad on any Windows shows them right.
cmake_minimum_required(VERSION 3.21)  # file(COPY_FILE)
include(${CMAKE_CURRENT_LIST_DIR}/Version.cmake)

foreach(input PROGRAM_I686 PROGRAM_X86_64 DIST_DIR)
  if(NOT ${input})
    message(FATAL_ERROR "dist: ${input} is not set")
  endif()
endforeach()

set(folder ${DIST_DIR}/vimbrel)
set(zip_name ${VIMBREL_DIST_NAME}.zip)
file(REMOVE_RECURSE ${DIST_DIR})
file(MAKE_DIRECTORY ${folder}/x64)
file(COPY_FILE ${PROGRAM_I686} ${folder}/vimbrel.exe)
file(COPY_FILE ${PROGRAM_X86_64} ${folder}/x64/vimbrel.exe)

# Reads a text of the repository (LF, or CR LF from a Windows checkout) into
# `out` with CR LF line ends.
function(read_with_crlf source out)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

read_with_crlf(${VIMBREL_LICENSE_FILE} license)
file(WRITE ${folder}/LICENSE.txt "${license}")

read_with_crlf(${CMAKE_CURRENT_LIST_DIR}/../docs/readme.txt.in readme)
string(CONFIGURE "${readme}" readme @ONLY)
string(ASCII 239 187 191 utf8_bom)
file(WRITE ${folder}/readme.txt "${utf8_bom}${readme}")

# Each of the two version histories (Japanese, English) has a line for this version.
string(REPLACE "." "\\." version_pattern ${VIMBREL_VERSION})
string(REGEX MATCHALL "\r\n${version_pattern}  " history_lines "${readme}")
list(LENGTH history_lines history_count)
if(NOT history_count EQUAL 2)
  message(FATAL_ERROR "dist: docs/readme.txt.in has ${history_count} lines for version "
                      "${VIMBREL_VERSION} in its version histories, not one in each language")
endif()

execute_process(COMMAND zip -qrX ${zip_name} vimbrel WORKING_DIRECTORY ${DIST_DIR}
                RESULT_VARIABLE zip_failed)
if(zip_failed)
  message(FATAL_ERROR "dist: zip failed (${zip_failed})")
endif()
execute_process(COMMAND unzip -Z1 ${zip_name} WORKING_DIRECTORY ${DIST_DIR}
                OUTPUT_VARIABLE zip_entries RESULT_VARIABLE unzip_failed)
if(unzip_failed)
  message(FATAL_ERROR "dist: listing ${zip_name} failed (${unzip_failed})")
endif()
string(REGEX REPLACE "\n$" "" zip_entries "${zip_entries}")
string(REPLACE "\n" ";" zip_entries "${zip_entries}")
list(FILTER zip_entries EXCLUDE REGEX "/$")
list(TRANSFORM zip_entries REPLACE "^vimbrel/" "")

# The readme's names of files in the folder: every .exe and .txt that it names
# by itself or below one folder (x64\vimbrel.exe), but not the end of a longer
# path (C:\Tools\Vimbrel\vimbrel.exe), which is a file somewhere else.
string(REGEX MATCHALL "[^A-Za-z0-9_.\\\\:/%=-]([A-Za-z0-9_-]+\\\\)?[A-Za-z0-9_-]+\\.(exe|txt)"
       readme_names "\n${readme}")
list(TRANSFORM readme_names REPLACE "^.(.*)$" "\\1")
list(TRANSFORM readme_names REPLACE "\\\\" "/")
list(REMOVE_DUPLICATES readme_names)

# The zip's layout is what the readme says it is.
set(missing ${readme_names})
list(REMOVE_ITEM missing ${zip_entries})
set(unnamed ${zip_entries})
list(REMOVE_ITEM unnamed ${readme_names})
if(missing)
  message(FATAL_ERROR "dist: readme.txt names files that ${zip_name} does not hold: ${missing}")
endif()
if(unnamed)
  message(FATAL_ERROR "dist: ${zip_name} holds files that readme.txt does not name: ${unnamed}")
endif()
message(STATUS "dist: ${DIST_DIR}/${zip_name} (${zip_entries})")
