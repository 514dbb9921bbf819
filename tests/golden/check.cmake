# Runs the real kalden-report executable and compares its output with the
# kept reports byte for byte, and checks its exit statuses.
function(expect_report golden)
  execute_process(COMMAND ${KALDEN_REPORT} ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  file(READ ${GOLDEN_DIR}/${golden}.txt expected)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${golden}: exit status ${status}: ${err}")
  endif()
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "${golden}: output differs from ${GOLDEN_DIR}/${golden}.txt")
  endif()
endfunction()

function(expect_status expected)
  execute_process(COMMAND ${KALDEN_REPORT} ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "kalden-report ${ARGN}: exit status ${status}, expected ${expected}")
  endif()
  if(NOT expected EQUAL 0 AND NOT out STREQUAL "")
    message(FATAL_ERROR "kalden-report ${ARGN}: wrote to stdout on failure")
  endif()
endfunction()

expect_report(mixed_traditional95 12 7 11 9 8 10 13)
expect_report(mixed_glutting95_true_bonferroni --ci glutting95 --basis true --bonferroni --criterion 15 12 7 11 9 8 10 13)
expect_report(half_point_digit_symbol 10 10.5 10 10 10 10 10)
expect_status(2 10 10 10 10 10 10 20)
expect_status(64 10 10 10)
expect_status(64 --ci x 10 10 10 10 10 10 10)
expect_status(0 --help)
