# Installs the built engine under a fresh prefix, then configures and builds a demo's own
# project against it, the way a demo maker would, and checks that the project compiles
# without SDL's headers on its include path.
file(REMOVE_RECURSE "${WORK}")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}):\n${out}${err}")
    endif()
endfunction()

run("${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${WORK}/prefix")
foreach(installed include/nimbrel/utils/Application.h include/nimbrel/graphics/gl/GL2CGDeviceFactory.h)
    if(NOT EXISTS "${WORK}/prefix/${installed}")
        message(FATAL_ERROR "${installed} was not installed")
    endif()
endforeach()
file(GLOB_RECURSE platform_headers RELATIVE "${WORK}/prefix" "${WORK}/prefix/include/*SDL*.h")
if(platform_headers)
    message(FATAL_ERROR "SDL-named headers were installed: ${platform_headers}")
endif()

run("${CMAKE_COMMAND}" -S "${PROJECT}" -B "${WORK}/demo" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${WORK}/prefix -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
run("${CMAKE_COMMAND}" --build "${WORK}/demo")
if(NOT EXISTS "${WORK}/demo/demo")
    message(FATAL_ERROR "the demo program was not built")
endif()
file(READ "${WORK}/demo/compile_commands.json" commands)
if(commands MATCHES "SDL2")
    message(FATAL_ERROR "the demo's compile line reaches SDL's headers:\n${commands}")
endif()
