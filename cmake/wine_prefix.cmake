# Makes the wine prefix the cross-built tests run in, once: cmake -DWINE=... -DPREFIX=... -P
# Starting wine in a new prefix builds it (a minute or so); later starts reuse it.
if(EXISTS "${PREFIX}/system.reg")
    return()
endif()
execute_process(COMMAND "${WINE}" wineboot --init RESULT_VARIABLE result)
get_filename_component(folder "${WINE}" DIRECTORY)
find_program(WINESERVER NAMES wineserver64 wineserver HINTS "${folder}")
if(WINESERVER)
    # wineboot returns before the prefix is written out; the server finishes it.
    execute_process(COMMAND "${WINESERVER}" --wait)
endif()
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/system.reg")
    message(FATAL_ERROR "wine could not make its prefix ${PREFIX} (wineboot: ${result})")
endif()
