cmake_minimum_required(VERSION 3.25)
# Fails unless PROGRAM imports from OrvUpdateCheck.dll exactly one function, by ordinal 32 and
# without a name (objdump prints "<none>" for an import by ordinal).
#   cmake -DOBJDUMP=... -DPROGRAM=vanta.exe -P check_update_import.cmake
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read the imports of ${PROGRAM}")
endif()

string(TOLOWER "${dump}" lower_dump)
string(FIND "${lower_dump}" "dll name: orvupdatecheck.dll" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} does not import from OrvUpdateCheck.dll at load time")
endif()
string(SUBSTRING "${dump}" ${start} -1 block)
string(FIND "${block}" "\n\n" end)
string(SUBSTRING "${block}" 0 ${end} block)

# Entry lines: "\t<thunk>\t <hint or ordinal>  <name or <none>>".
string(REGEX MATCHALL "\n\t[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+[^\n]*" entries "${block}")
list(LENGTH entries count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one import from OrvUpdateCheck.dll, found ${count}:${block}")
endif()
# (objdump prints the ordinal of a 64-bit program's import in hex, with leading zeros: 000000020.)
if(NOT entries MATCHES "\n\t8[0-9a-fA-F]*[ \t]+(32|0+20)[ \t]+<none>")
    message(FATAL_ERROR "OrvUpdateCheck.dll is not imported by ordinal 32 alone:${block}")
endif()
message(STATUS "${PROGRAM} imports OrvUpdateCheck.dll ordinal 32, by ordinal only")
