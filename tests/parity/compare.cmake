# Runs the profile dump built with each extended type and requires the same
# bytes from both.
foreach(side NATIVE SOFTWARE)
  execute_process(COMMAND ${${side}} OUTPUT_VARIABLE ${side}_OUT RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${${side}} failed: ${status}")
  endif()
endforeach()
if(NOT NATIVE_OUT STREQUAL SOFTWARE_OUT)
  message(FATAL_ERROR "the two extended types print different reports:\nlong double:\n${NATIVE_OUT}\nsoftware:\n${SOFTWARE_OUT}")
endif()
string(REGEX MATCH "[0-9]+ profiles" count "${NATIVE_OUT}")
message(STATUS "the same reports and JSON rows for ${count}")
