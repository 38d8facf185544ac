# What the tools' check scripts share. A check script is run with -DTOOL=<the tool's binary>
# -DWORK=<a scratch folder> -P; it includes this file after writing its inputs into WORK.

# Runs the tool in WORK with the given arguments, fails unless it exits with
# `expected_result`, and leaves its standard output and error in `out` and `err`.
function(run expected_result)
    get_filename_component(tool_name "${TOOL}" NAME)
    execute_process(COMMAND "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result STREQUAL "${expected_result}")
        message(FATAL_ERROR "${tool_name} ${ARGN} returned ${result}, not ${expected_result}:\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect actual expected)
    if(NOT actual STREQUAL expected)
        message(FATAL_ERROR "expected:\n${expected}\ngot:\n${actual}")
    endif()
endfunction()

function(expect_match text pattern)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "expected to match:\n${pattern}\ngot:\n${text}")
    endif()
endfunction()
