# The program's version, written only here. The version resource, the label on
# the main window, the zip's name and readme.txt all take it from here: the
# build includes this file, and so does cmake/Dist.cmake for `make dist`.
set(VIMBREL_VERSION 1.00)

# Shown as the major number, a point and two digits of minor ("1.00", "1.10");
# the resource's numbers are then 1,0,0,0 and 1,10,0,0.
if(NOT VIMBREL_VERSION MATCHES "^([0-9]+)\\.([0-9][0-9])$")
  message(FATAL_ERROR "VIMBREL_VERSION '${VIMBREL_VERSION}' is not a number with two decimals, as 1.00")
endif()
set(VIMBREL_VERSION_MAJOR ${CMAKE_MATCH_1})
# As a plain decimal: "08" would be octal, and wrong, to the resource compiler.
math(EXPR VIMBREL_VERSION_MINOR "1${CMAKE_MATCH_2} - 100")
set(VIMBREL_DIST_NAME vimbrel-${VIMBREL_VERSION})

# The licence's copyright line, which the version resource and readme.txt
# repeat word for word.
set(VIMBREL_LICENSE_FILE ${CMAKE_CURRENT_LIST_DIR}/../LICENSE)
file(STRINGS ${VIMBREL_LICENSE_FILE} VIMBREL_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
if(NOT VIMBREL_COPYRIGHT)
  message(FATAL_ERROR "LICENSE has no line that starts with 'Copyright '")
endif()
