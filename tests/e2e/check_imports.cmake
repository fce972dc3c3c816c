cmake_minimum_required(VERSION 3.25)
# Fails when PROGRAM imports a function from hid.dll or setupapi.dll that the test DLLs do not
# export: the program would then not load beside them.
#   cmake -DOBJDUMP=... -DPROGRAM=vanta.exe -DTEST_DLLS="hid.dll;setupapi.dll" -P check_imports.cmake
# With -DDEFERRED="wininet.dll;..." it fails instead when PROGRAM names one of these DLLs in its
# import table at all: they are bound at first use and must not load with the program.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE program_dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read the imports of ${PROGRAM}")
endif()

string(TOLOWER "${program_dump}" lower_dump)
foreach(dll ${DEFERRED})
    string(TOLOWER "${dll}" lower_dll)
    string(FIND "${lower_dump}" "dll name: ${lower_dll}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "${PROGRAM} loads ${dll} at start; it is meant to be bound at first use")
    endif()
endforeach()
if(DEFERRED)
    message(STATUS "${PROGRAM} names none of ${DEFERRED} among its imports")
    return()
endif()

set(missing "")
foreach(dll_path ${TEST_DLLS})
    get_filename_component(dll ${dll_path} NAME)
    execute_process(COMMAND ${OBJDUMP} -p ${dll_path} OUTPUT_VARIABLE dll_dump)
    # Names in the export table: lines "[   n] Name".
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9]+" exported "${dll_dump}")
    list(TRANSFORM exported REPLACE "\\[ *[0-9]+\\] " "")

    # The program's import block for this DLL runs from its "DLL Name:" line to the next one.
    string(TOLOWER "${dll}" lower_dll)
    string(FIND "${lower_dump}" "dll name: ${lower_dll}" start)
    if(start EQUAL -1)
        continue()
    endif()
    string(SUBSTRING "${program_dump}" ${start} -1 block)
    string(FIND "${block}" "\n\n" end)
    string(SUBSTRING "${block}" 0 ${end} block)
    string(REGEX MATCHALL "\n\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_0-9]+" imported "${block}")
    if(NOT imported)
        message(FATAL_ERROR "cannot read what ${PROGRAM} imports from ${dll}")
    endif()
    foreach(line ${imported})
        string(REGEX REPLACE ".* ([A-Za-z_0-9]+)$" "\\1" name "${line}")
        if(NOT name IN_LIST exported)
            list(APPEND missing "${dll}!${name}")
        endif()
    endforeach()
endforeach()

if(missing)
    message(FATAL_ERROR "imported but not offered by the test DLLs: ${missing}")
endif()
message(STATUS "every hid.dll and setupapi.dll import of ${PROGRAM} is offered by the test DLLs")
