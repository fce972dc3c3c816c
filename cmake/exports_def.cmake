# vanta_def_for_this_build(DEF OUT_VAR): the module-definition file to build with. Our .def
# files name exports as 32-bit stdcall symbols (Name@N); 64-bit symbols carry no decoration,
# so a 64-bit build gets a copy without it, in the current binary folder.
function(vanta_def_for_this_build source out_var)
    set(def ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        file(READ ${def} text)
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
        set(def ${CMAKE_CURRENT_BINARY_DIR}/${source})
        file(WRITE ${def}.new "${text}")
        configure_file(${def}.new ${def} COPYONLY)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                     ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    set(${out_var} ${def} PARENT_SCOPE)
endfunction()
