# tessaro-cli's text on a Windows console, as a user in cmd.exe sees it. Under wine a program whose
# output is a terminal gets a console shown on that terminal in the terminal's UTF-8: `script`
# gives it one. Names and values in the files' Windows-1251 must arrive as the same Cyrillic
# letters, on stdout and on stderr, and never as their bytes read in the console's own code page.
#     cmake -DWINE=... -DPROGRAM=... -DSCRIPT=... -DDATA=<folder holding lab.cfg> -P
function(on_console expected_status)
    list(JOIN ARGN "' '" arguments)
    execute_process(COMMAND "${SCRIPT}" -q -e -c "'${WINE}' '${PROGRAM}' '${arguments}'" /dev/null
                    OUTPUT_VARIABLE output RESULT_VARIABLE result)
    if(NOT result EQUAL expected_status)
        message(FATAL_ERROR "tessaro-cli ${ARGN} on a console: ${result}\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

# lab.cfg's DirFileName is "опыт-7.bin" in Windows-1251; the argument reaches the program in the
# ANSI code page and its name comes back in the message.
on_console(0 --dir "${DATA}" show lab.cfg)
if(NOT output MATCHES "\nDirFileName +опыт-7\\.bin ")
    message(FATAL_ERROR "stdout on a console shows no \"опыт-7.bin\":\n${output}")
endif()
on_console(2 --dir "${DATA}" show "нет.cfg")
if(NOT output MATCHES "tessaro-cli: cannot read \"нет\\.cfg\": No such file or directory")
    message(FATAL_ERROR "stderr on a console shows no \"нет.cfg\":\n${output}")
endif()
