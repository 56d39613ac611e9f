# Runs a fuzz target once and fails unless the code it fuzzes carries the
# fuzzer's coverage counters: a target whose libraries were built without them
# shows only the counters of its own small source file.
#   cmake -DFUZZER=path -DMIN_COUNTERS=n -P CheckInstrumented.cmake
execute_process(COMMAND "${FUZZER}" -runs=1 RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX MATCH "([0-9]+) inline 8-bit counters" found "${out}${err}")
if(NOT rc EQUAL 0 OR NOT found)
    message(FATAL_ERROR "${FUZZER} did not run as a fuzzer (exit ${rc}):\n${err}")
endif()
if(CMAKE_MATCH_1 LESS MIN_COUNTERS)
    message(FATAL_ERROR "${FUZZER}: only ${CMAKE_MATCH_1} coverage counters, the libraries it fuzzes are not instrumented")
endif()
message(STATUS "${FUZZER}: ${CMAKE_MATCH_1} coverage counters")
