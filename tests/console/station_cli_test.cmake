# endcap-station's command line: --help prints the usage and succeeds; a bad option gives the
# reason and the usage on standard error and exit code 2, before any window opens.
# Run with -DSTATION=<path of endcap-station>.

execute_process(COMMAND ${STATION} --help RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Usage: endcap-station \\[OPTIONS\\]" OR NOT err STREQUAL "")
  message(FATAL_ERROR "--help: exit ${rc}, stdout [${out}], stderr [${err}]")
endif()

execute_process(COMMAND ${STATION} --port 0=/dev/null RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT out STREQUAL ""
   OR NOT err MATCHES "^endcap-station: --port: '0=/dev/null': expected N=PATH with N from 1 to 255\n\n.*Usage: endcap-station ")
  message(FATAL_ERROR "bad --port: exit ${rc}, stdout [${out}], stderr [${err}]")
endif()

execute_process(COMMAND ${STATION} --simulate --frobnicate RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "^endcap-station: The following argument was not expected: --frobnicate\n")
  message(FATAL_ERROR "unknown option: exit ${rc}, stdout [${out}], stderr [${err}]")
endif()
