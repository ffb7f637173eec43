# Renders a manual page as an HTML page with mandoc:
#   cmake -DMANDOC=<mandoc> -DINPUT=<page.1> -DOUTPUT=<page.html> -P render_manual.cmake
# An error in the page (mandoc's level "error" or worse) stops the build with mandoc's message.
# The page is written beside OUTPUT and renamed over it, so that OUTPUT is whole or absent.
foreach(name MANDOC INPUT OUTPUT)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "render_manual.cmake needs -DMANDOC=, -DINPUT= and -DOUTPUT=")
  endif()
endforeach()
execute_process(COMMAND "${MANDOC}" -T html -W error "${INPUT}"
  OUTPUT_FILE "${OUTPUT}.part" ERROR_VARIABLE messages RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}.part")
  message(FATAL_ERROR "mandoc cannot render ${INPUT} (status ${status}):\n${messages}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
