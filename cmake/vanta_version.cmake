# The program's release, as year, month and day: VANTA_VERSION "YYYY.M.D". The About text
# ("Version 2012 2 22"), the update tag ("_2012_2_22") and the installer's name and displayed
# version all come from it. VANTA_FILE_VERSION is the four-part file version of the program's
# resources. A release sets both (scripts/release.sh).
set(VANTA_VERSION "2012.2.22" CACHE STRING "Program release as YYYY.M.D")
set(VANTA_FILE_VERSION "1.0.0.20" CACHE STRING "File version of the program's resources, a.b.c.d")

if(NOT VANTA_VERSION MATCHES "^([0-9][0-9][0-9][0-9])\\.([1-9]|1[0-2])\\.([1-9]|[12][0-9]|3[01])$")
    message(FATAL_ERROR "VANTA_VERSION \"${VANTA_VERSION}\" is not YYYY.M.D "
                        "(a four-digit year, month 1-12, day 1-31, no leading zeros)")
endif()
# Each decimal component is written as hexadecimal digits: the program prints them with %x.
set(VANTA_VERSION_FIRST "0x${CMAKE_MATCH_1}")
set(VANTA_VERSION_SECOND "0x${CMAKE_MATCH_2}")
set(VANTA_VERSION_THIRD "0x${CMAKE_MATCH_3}")
string(REPLACE "." "_" VANTA_VERSION_TAG "_${VANTA_VERSION}")

if(NOT VANTA_FILE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "VANTA_FILE_VERSION \"${VANTA_FILE_VERSION}\" is not a.b.c.d")
endif()
foreach(part ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    if(part GREATER 65535)
        message(FATAL_ERROR "VANTA_FILE_VERSION \"${VANTA_FILE_VERSION}\": ${part} exceeds 65535")
    endif()
endforeach()
string(REPLACE "." ", " VANTA_FILE_VERSION_COMMAS "${VANTA_FILE_VERSION}")

set(VANTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vanta_version.h.in ${VANTA_GENERATED_DIR}/vanta_version.h
               @ONLY)
