# Delay-import libraries for system DLLs that only some windows or jobs use:
# a program linked with one loads the DLL when it first calls into it (through
# __delayLoadHelper2, src/base/delay_load.cpp), not at start-up. Each is made once, when
# the tree is configured, from the exports of mingw-w64's import library.
#   delay_import_library(<variable> <library name>)
# sets <variable> to the path of the library to link instead of <name>.
function(delay_import_library variable name)
    set(output ${CMAKE_BINARY_DIR}/delay-import/lib${name}_delay.a)
    if(NOT EXISTS ${output})
        find_library(import_${name} ${name} REQUIRED)
        execute_process(COMMAND ${CMAKE_NM} -g ${import_${name}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
        string(REGEX MATCHALL "I __imp_[A-Za-z0-9_]+" imports "${symbols}")
        list(TRANSFORM imports REPLACE "^I __imp_" "")
        list(REMOVE_DUPLICATES imports)
        list(JOIN imports "\n" exports)
        set(definition ${CMAKE_BINARY_DIR}/delay-import/${name}.def)
        file(WRITE ${definition} "LIBRARY ${name}.dll\nEXPORTS\n${exports}\n")
        execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${definition} --dllname ${name}.dll
                                --output-delaylib ${output} COMMAND_ERROR_IS_FATAL ANY)
        # dlltool puts the DLL's delay-load descriptor in a writable ".text$2":
        # as data it shares the program's data page instead of one of its own.
        execute_process(COMMAND ${CMAKE_OBJCOPY} --rename-section .text$2=.data$2 ${output}
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
    set(${variable} ${output} PARENT_SCOPE)
endfunction()
