# Checks the zip handed to Windows users as a user meets it: it unpacks, holds the program, the
# README and the licence notices, and the program runs (under wine here) and names its commit.
#     cmake -DZIP=... -DWINE=... -DWORK=... -DVERSION_TEXT=... -DCOMMIT=... -DOBJDUMP=... -P
function(fail)
    message(FATAL_ERROR ${ARGN})
endfunction()

if(NOT EXISTS "${ZIP}")
    fail("${ZIP} is missing: build the target package-windows")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND unzip -q "${ZIP}" -d "${WORK}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    fail("unzip ${ZIP}: ${result}")
endif()
get_filename_component(name "${ZIP}" NAME_WLE)
set(folder "${WORK}/${name}")
foreach(file tessaro-cli.exe README.md licences/tessaro-master.txt licences/CLI11.txt
             licences/nlohmann-json.txt licences/mingw-w64.txt licences/gcc-runtime.txt)
    if(NOT EXISTS "${folder}/${file}")
        fail("${ZIP} holds no ${name}/${file}")
    endif()
endforeach()

# Stripped: no symbols, no debugging sections.
execute_process(COMMAND "${OBJDUMP}" -h "${folder}/tessaro-cli.exe" OUTPUT_VARIABLE sections)
if(sections MATCHES "\\.debug_")
    fail("tessaro-cli.exe is not stripped:\n${sections}")
endif()
# The version resource and the manifest: their texts are in the file as UTF-16 and as bytes.
file(READ "${folder}/tessaro-cli.exe" exe HEX)
foreach(text "ProductName" "TESSARO Master" "${VERSION_TEXT}")
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\100" wide "${hex}")
    string(FIND "${exe}" "${wide}" at)
    if(at EQUAL -1)
        fail("tessaro-cli.exe has no version resource with \"${text}\"")
    endif()
endforeach()
foreach(text "requestedExecutionLevel level=\"asInvoker\"" "supportedOS")
    string(HEX "${text}" hex)
    string(FIND "${exe}" "${hex}" at)
    if(at EQUAL -1)
        fail("tessaro-cli.exe has no manifest with ${text}")
    endif()
endforeach()

execute_process(COMMAND "${WINE}" "${folder}/tessaro-cli.exe" --version
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT output STREQUAL "tessaro-cli ${VERSION_TEXT}\n")
    fail("tessaro-cli.exe --version gave ${result}, \"${output}\" (expected \"tessaro-cli ${VERSION_TEXT}\"): "
         "${errors}")
endif()
if(COMMIT AND NOT output MATCHES "${COMMIT}")
    fail("tessaro-cli.exe --version names no commit ${COMMIT}: ${output}")
endif()
message(STATUS "${name}.zip: ${output}")
