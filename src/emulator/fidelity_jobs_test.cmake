# The fidelity report does not depend on how many worker processes share its cells: one
# circuit's row and list from one worker and from three must be the same bytes. CTest runs it as
# cmake -DREPORT=<fidelity_report> -DCIRCUIT=<index> -P fidelity_jobs_test.cmake.
foreach(jobs 1 3)
  execute_process(COMMAND ${REPORT} -j ${jobs} --circuit ${CIRCUIT}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output_${jobs} ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "fidelity_report -j ${jobs} --circuit ${CIRCUIT}: ${status}\n${errors}")
  endif()
endforeach()
if(NOT output_1 MATCHES "^\\| ${CIRCUIT} \\|")
  message(FATAL_ERROR "fidelity_report -j 1 --circuit ${CIRCUIT} printed no row:\n${output_1}")
endif()
if(NOT output_1 STREQUAL output_3)
  message(FATAL_ERROR "one worker and three differ:\n-j 1:\n${output_1}\n-j 3:\n${output_3}")
endif()
