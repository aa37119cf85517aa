# The hardening Debian builds its packages with, from dpkg-buildflags with every feature on:
# fortified functions (_FORTIFY_SOURCE), the stack protector, format checks, read-only relocations
# and immediate binding (BIND_NOW). Optimisation and debug information stay the build type's; the
# fortification needs optimisation, so a Debug build, the sanitizer and fuzz builds and a cross
# build go without.
option(TESSARO_HARDENING "Compile and link with Debian's hardening flags (dpkg-buildflags)" ON)
find_program(TESSARO_DPKG_BUILDFLAGS dpkg-buildflags)
if(TESSARO_HARDENING AND TESSARO_DPKG_BUILDFLAGS AND NOT TESSARO_SANITIZE AND NOT TESSARO_FUZZ
   AND NOT CMAKE_CROSSCOMPILING AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${TESSARO_DPKG_BUILDFLAGS} --get ${kind}
                        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(O[0-9sgz]?|g[0-9]?|ffile-prefix-map=.*)$")
        set(hardening_${kind} ${flags})
    endforeach()
    add_compile_options(${hardening_CPPFLAGS} ${hardening_CXXFLAGS})
    add_link_options(${hardening_LDFLAGS})
    message(STATUS "Hardening: ${hardening_CPPFLAGS} ${hardening_CXXFLAGS} ${hardening_LDFLAGS}")
endif()
