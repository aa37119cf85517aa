# tessaro-cli for Windows: its resources (version, manifest) and the zip handed to Windows users,
#     make package-windows    ->  build/windows-cross/tessaro-cli-<version>-win64.zip
# holding the stripped program, the README and the licence notices of what is built into it.
# Included by cli/CMakeLists.txt on Windows builds.

# The version resource takes four numbers, the manifest four dotted: the missing ones are 0.
set(version_numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
                    ${PROJECT_VERSION_TWEAK})
list(LENGTH version_numbers count)
while(count LESS 4)
    list(APPEND version_numbers 0)
    math(EXPR count "${count} + 1")
endwhile()
list(JOIN version_numbers "," TESSARO_VERSION_COMMAS)
list(JOIN version_numbers "." TESSARO_VERSION_DOTS)

set(windows_generated "${PROJECT_BINARY_DIR}/generated/windows")
set(TESSARO_MANIFEST_FILE "${windows_generated}/tessaro-cli.exe.manifest")
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/tessaro-cli.exe.manifest.in
               ${TESSARO_MANIFEST_FILE} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/tessaro-cli.rc.in
               ${windows_generated}/tessaro-cli.rc @ONLY)
target_sources(tessaro-cli PRIVATE ${windows_generated}/tessaro-cli.rc)
set_property(SOURCE ${windows_generated}/tessaro-cli.rc APPEND PROPERTY OBJECT_DEPENDS
             ${TESSARO_MANIFEST_FILE})

if(NOT MINGW)
    return()
endif()

# The licence notices: ours (the Debian package's copyright file), then those of what the static
# program carries: CLI11 and nlohmann-json (header-only, compiled in), the mingw-w64 runtime and
# winpthreads, GCC's runtime libraries (libstdc++, libgcc: the runtime library exception).
set(notices
    "tessaro-master|${PROJECT_SOURCE_DIR}/data/copyright"
    "CLI11|/usr/share/doc/libcli11-dev/copyright"
    "nlohmann-json|/usr/share/doc/nlohmann-json3-dev/copyright"
    "mingw-w64|/usr/share/doc/mingw-w64-x86-64-dev/copyright"
    "gcc-runtime|/usr/share/doc/gcc-mingw-w64-base/copyright")

set(TESSARO_WINDOWS_PACKAGE_NAME "tessaro-cli-${PROJECT_VERSION}-win64")
set(TESSARO_WINDOWS_PACKAGE "${PROJECT_BINARY_DIR}/${TESSARO_WINDOWS_PACKAGE_NAME}.zip")
set(stage_root "${PROJECT_BINARY_DIR}/package-windows")
set(stage "${stage_root}/${TESSARO_WINDOWS_PACKAGE_NAME}")
set(copy_notices)
set(notice_files)
foreach(notice IN LISTS notices)
    string(REPLACE "|" ";" notice "${notice}")
    list(GET notice 0 name)
    list(GET notice 1 file)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "${file} is missing: the Windows package needs ${name}'s licence")
    endif()
    list(APPEND copy_notices COMMAND ${CMAKE_COMMAND} -E copy ${file} ${stage}/licences/${name}.txt)
    list(APPEND notice_files ${file})
endforeach()

find_program(TESSARO_ZIP zip REQUIRED)
file(MAKE_DIRECTORY ${stage_root})
add_custom_command(
    OUTPUT ${TESSARO_WINDOWS_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${TESSARO_WINDOWS_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/licences
    COMMAND ${CMAKE_STRIP} -o ${stage}/tessaro-cli.exe $<TARGET_FILE:tessaro-cli>
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${stage}/README.md
    ${copy_notices}
    COMMAND ${TESSARO_ZIP} -q -r -X ${TESSARO_WINDOWS_PACKAGE} ${TESSARO_WINDOWS_PACKAGE_NAME}
    WORKING_DIRECTORY ${stage_root}
    DEPENDS tessaro-cli ${PROJECT_SOURCE_DIR}/README.md ${notice_files}
    COMMENT "Packing ${TESSARO_WINDOWS_PACKAGE_NAME}.zip"
    VERBATIM)
# Part of every cross build, so that its tests check the package too.
add_custom_target(package-windows ALL DEPENDS ${TESSARO_WINDOWS_PACKAGE})
set_property(TARGET package-windows PROPERTY TESSARO_ZIP ${TESSARO_WINDOWS_PACKAGE})
