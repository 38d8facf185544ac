# The leak checker must report what an unloaded library kept (or this check proves nothing),
# and must not when the library allocated inside a SystemAllocations scope.
foreach(mode plain scoped)
    execute_process(COMMAND "${PROBE}" ${mode} "${LIBRARY}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(${mode}_result "${result}")
    set(${mode}_err "${err}")
endforeach()
if(plain_result EQUAL 0 OR NOT plain_err MATCHES "LeakSanitizer")
    message(FATAL_ERROR "the leak checker did not see the unloaded library's memory (${plain_result}):\n${plain_err}")
endif()
if(NOT scoped_result EQUAL 0)
    message(FATAL_ERROR "memory kept inside a SystemAllocations scope was reported (${scoped_result}):\n${scoped_err}")
endif()
