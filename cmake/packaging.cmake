# Installing the programs with their desktop files, and the Debian package built from that:
#     cmake --install build/default --prefix /usr/local      (or `make package` for the .deb)
include(GNUInstallDirs)

set(TESSARO_PACKAGE_MAINTAINER "TESSARO Master developers <master@tessaro.example.org>"
    CACHE STRING "The Maintainer line of the Debian package")
set(TESSARO_HOMEPAGE_URL "https://tessaro.example.org/master"
    CACHE STRING "Where the project's files are published; the screenshot is docs/screenshot.png there")
set(TESSARO_APP_ID org.tessaro.master)

# The date of the release in the metadata and the changelog: the commit's, or today's outside a
# clone (SOURCE_DATE_EPOCH, when set, fixes it for a reproducible build).
set(TESSARO_RELEASE_DATE "")
if(TESSARO_GIT_COMMIT)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%cd --date=format:%Y-%m-%d
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                    OUTPUT_VARIABLE TESSARO_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
endif()
if(NOT TESSARO_RELEASE_DATE)
    string(TIMESTAMP TESSARO_RELEASE_DATE "%Y-%m-%d" UTC)
endif()

# The programs, each with a manual page below; cli/ installs tessaro-cli itself.
set(tessaro_programs)
foreach(program tessaro-master tessaro-cli)
    if(TARGET ${program})
        list(APPEND tessaro_programs ${program})
    endif()
endforeach()
if(TARGET tessaro-master)
    install(TARGETS tessaro-master RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(NOT UNIX OR APPLE)
    return()
endif()

# Desktop integration: the menu entry, the icon, the software-centre metadata.
set(data "${PROJECT_SOURCE_DIR}/data")
set(generated "${PROJECT_BINARY_DIR}/data")
configure_file(${data}/${TESSARO_APP_ID}.metainfo.xml.in ${generated}/${TESSARO_APP_ID}.metainfo.xml
               @ONLY)
string(REPLACE "-" "" changelog_date "${TESSARO_RELEASE_DATE}")
execute_process(COMMAND date -u -R -d "${changelog_date}"
                OUTPUT_VARIABLE TESSARO_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${data}/changelog.in ${generated}/changelog @ONLY)

find_program(TESSARO_RSVG_CONVERT rsvg-convert)
find_program(TESSARO_HELP2MAN help2man)
set(data_outputs ${generated}/changelog.gz)
add_custom_command(OUTPUT ${generated}/changelog.gz
                   COMMAND gzip -9nc ${generated}/changelog > ${generated}/changelog.gz
                   DEPENDS ${generated}/changelog VERBATIM)
if(TESSARO_RSVG_CONVERT)
    add_custom_command(OUTPUT ${generated}/tessaro-master.png
                       COMMAND ${TESSARO_RSVG_CONVERT} -w 64 -h 64 ${data}/tessaro-master.svg
                               -o ${generated}/tessaro-master.png
                       DEPENDS ${data}/tessaro-master.svg VERBATIM)
    list(APPEND data_outputs ${generated}/tessaro-master.png)
    install(FILES ${generated}/tessaro-master.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
else()
    message(WARNING "rsvg-convert not found (librsvg2-bin): no 64 px icon is installed")
endif()

# Manual pages from each program's --help.
set(description_tessaro-master "edit the settings of the TESSARO receiver module")
set(description_tessaro-cli "read, change and compare TESSARO settings files from scripts")
if(TESSARO_HELP2MAN)
    foreach(program ${tessaro_programs})
        # Sections beyond the program's --help, when it has them.
        set(man_include)
        if(EXISTS ${data}/${program}.h2m)
            set(man_include ${data}/${program}.h2m)
        endif()
        add_custom_command(OUTPUT ${generated}/${program}.1.gz
                           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
                                   "-DNAME=${description_${program}}" -DVERSION=${PROJECT_VERSION}
                                   -DOUTPUT=${generated}/${program}.1.gz
                                   -DHELP2MAN=${TESSARO_HELP2MAN}
                                   -DWORK_DIR=${generated}/man-work
                                   -DINCLUDE=${data}/${program}.h2m
                                   -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
                           DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
                                   ${data}/${program}.h2m VERBATIM)
        list(APPEND data_outputs ${generated}/${program}.1.gz)
        install(FILES ${generated}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
else()
    message(WARNING "help2man not found: no manual pages are installed")
endif()
add_custom_target(tessaro_data ALL DEPENDS ${data_outputs})

install(FILES ${data}/${TESSARO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/tessaro-master.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${generated}/${TESSARO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/changelog.gz ${data}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaro-master)

if(BUILD_TESTING AND PROJECT_IS_TOP_LEVEL)
    find_program(TESSARO_DESKTOP_FILE_VALIDATE desktop-file-validate)
    find_program(TESSARO_APPSTREAMCLI appstreamcli)
    if(TESSARO_DESKTOP_FILE_VALIDATE)
        add_test(NAME data.desktop-file
                 COMMAND ${TESSARO_DESKTOP_FILE_VALIDATE} ${data}/${TESSARO_APP_ID}.desktop)
    endif()
    if(TESSARO_APPSTREAMCLI)
        add_test(NAME data.metainfo
                 COMMAND ${TESSARO_APPSTREAMCLI} validate --no-net --pedantic
                         ${generated}/${TESSARO_APP_ID}.metainfo.xml)
    endif()
endif()

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaro-master)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TESSARO Master developers")
set(CPACK_PACKAGE_CONTACT "${TESSARO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "settings editor for the TESSARO receiver module")
set(CPACK_PACKAGE_DESCRIPTION
    "TESSARO Master prepares a run of the TESSARO receiver module (four ADCs feeding
sixteen digital down-converter channels) in one window: clock, NCO frequencies,
channel routing, input ranges, synchronisation, the DDC program file and the
recording mode and size. It keeps its own configuration files and writes the
acquisition program's initialization file, keeping its comments byte for byte.
The command-line program tessaro-cli does the same from scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSARO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TESSARO_HOMEPAGE_URL}")
# Depends comes from dpkg-shlibdeps: the libraries the programs link (Qt, libstdc++, and
# libsqlite3-0 for the run journal) with the versions they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
