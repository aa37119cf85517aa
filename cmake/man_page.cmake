# Writes a program's gzipped manual page from its --help, with help2man:
#   cmake -DPROGRAM=<exe> -DNAME=<one-line description> -DVERSION=<x.y> -DOUTPUT=<page.1.gz>
#         -DHELP2MAN=<help2man> -DWORK_DIR=<scratch folder> [-DINCLUDE=<sections.h2m>]
#         -P man_page.cmake
# The window needs no screen for --help (offscreen), and runs in a scratch folder in case it
# starts after all. A program that does not answer --help gets a short page saying what it is,
# so that a build never hangs or fails on its manual.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{LC_ALL} C.UTF-8)
set(ENV{LANGUAGE} "")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(program_name "${PROGRAM}" NAME)
set(page "${OUTPUT}.page")

execute_process(COMMAND "${PROGRAM}" --help
                WORKING_DIRECTORY "${WORK_DIR}" TIMEOUT 10
                RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_QUIET)
if(result EQUAL 0 AND help MATCHES "--help")
    # Sections help2man cannot take from --help (EXAMPLES, FILES) come from data/<program>.h2m.
    set(include_args)
    if(INCLUDE AND EXISTS "${INCLUDE}")
        set(include_args "--include=${INCLUDE}")
    endif()
    execute_process(COMMAND "${HELP2MAN}" --no-info --section=1 "--name=${NAME}" ${include_args}
                            "--version-string=${VERSION}" "--output=${page}" "${PROGRAM}"
                    WORKING_DIRECTORY "${WORK_DIR}" TIMEOUT 60 RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "help2man failed on ${PROGRAM}: ${result}")
    endif()
else()
    message(WARNING "${program_name} --help gave no help (${result}): a short manual page instead")
    string(TOUPPER "${program_name}" title)
    string(REPLACE "-" "\\-" roff_name "${program_name}")
    file(WRITE "${page}" ".TH ${title} 1 \"\" \"${program_name} ${VERSION}\" \"User Commands\"\n"
                         ".SH NAME\n${roff_name} \\- ${NAME}\n"
                         ".SH SYNOPSIS\n.B ${roff_name}\n"
                         ".SH DESCRIPTION\n${NAME}.\n")
endif()
execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
endif()
file(RENAME "${page}.gz" "${OUTPUT}")
