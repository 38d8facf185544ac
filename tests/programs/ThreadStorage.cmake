# A thread holding a run-time loaded library's thread-local block at an address ending in 0x010
# must not crash the leak checker's scan at exit. With the checker's record of such blocks turned
# back on, the same probe must crash it, or this check proves nothing.
execute_process(COMMAND "${PROBE}" "${LIBRARY}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the probe failed (${result}):\n${out}${err}")
endif()
set(ENV{ASAN_OPTIONS} "intercept_tls_get_addr=1:$ENV{ASAN_OPTIONS}")
execute_process(COMMAND "${PROBE}" "${LIBRARY}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0 OR NOT err MATCHES "Tracer caught signal")
    message(FATAL_ERROR "the probe did not reach the fault it guards against (${result}):\n${out}${err}")
endif()
