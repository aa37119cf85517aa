# Tests of a Windows cross build, run under wine (cmake/mingw-w64-x86_64.cmake finds it).
#
# Each test program is one CTest test: a wine process costs about a second to start, so one per
# program rather than one per test case. The wine prefix (wine's Windows folder tree) lives in the
# build tree, made once by the fixture test `wine-prefix` before any test runs; without a display
# wine reports no dialogs, and the .NET and HTML add-ons it would offer to download are turned off.
# The system's ANSI code page follows the locale: ru_RU gives Windows-1251, the code page of the
# files' 8-bit names.
set(TESSARO_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(TESSARO_WINE_ENVIRONMENT
    "WINEPREFIX=${TESSARO_WINE_PREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml="
    "DISPLAY="
    "WAYLAND_DISPLAY="
    "LANG=ru_RU.UTF-8"
    "LC_ALL=ru_RU.UTF-8")

if(NOT TEST wine-prefix)
    add_test(NAME wine-prefix
             COMMAND ${CMAKE_COMMAND} -DWINE=${CMAKE_CROSSCOMPILING_EMULATOR}
                     -DPREFIX=${TESSARO_WINE_PREFIX} -P ${CMAKE_CURRENT_LIST_DIR}/wine_prefix.cmake)
    set_tests_properties(wine-prefix PROPERTIES
        FIXTURES_SETUP wine ENVIRONMENT "${TESSARO_WINE_ENVIRONMENT}" TIMEOUT 300)
endif()

# tessaro_add_cross_test(<program> [<gtest patterns to leave out>...])
function(tessaro_add_cross_test name)
    set(arguments)
    if(ARGN)
        list(JOIN ARGN ":" excluded)
        set(arguments "--gtest_filter=-${excluded}")
    endif()
    add_test(NAME ${name} COMMAND ${name} ${arguments})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine ENVIRONMENT "${TESSARO_WINE_ENVIRONMENT}")
endfunction()
