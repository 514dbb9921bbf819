# Runs the real kalden-report executable (KALDEN_REPORT: the command, with
# the emulator that runs it first where there is one) and compares its output
# with the kept reports byte for byte, and checks its exit statuses. With
# LINES_ONLY (Windows, whose standard output ends lines in CR LF) the lines
# are compared, not their ends. A differing output is kept beside the build.
function(expect_report golden)
  execute_process(COMMAND ${KALDEN_REPORT} ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  file(READ ${GOLDEN_DIR}/${golden}.txt expected)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${golden}: exit status ${status}: ${err}")
  endif()
  if(LINES_ONLY)
    string(REPLACE "\r\n" "\n" out "${out}")
  endif()
  if(NOT out STREQUAL expected)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${golden}.actual.txt "${out}")
    message(FATAL_ERROR "${golden}: output differs from ${GOLDEN_DIR}/${golden}.txt; "
                        "it is kept in ${CMAKE_CURRENT_BINARY_DIR}/${golden}.actual.txt")
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
expect_report(mixed_traditional90 --ci traditional90 12 7 11 9 8 10 13)
expect_report(mixed_glutting95_true_bonferroni --ci glutting95 --basis true --bonferroni --criterion 15 12 7 11 9 8 10 13)
expect_report(mixed_glutting90_true --ci glutting90 --basis true 12 7 11 9 8 10 13)
expect_report(all_tens_bonferroni_notes --bonferroni --note "Referred for review" --note= --note "second sitting"
              10 10 10 10 10 10 10)
expect_report(all_ones_criterion10 --criterion 10 1 1 1 1 1 1 1)
expect_report(all_nineteens_glutting95 --ci glutting95 19 19 19 19 19 19 19)
expect_report(split_profile_criterion15 --criterion 15 15 4 15 5 10 10 5)
expect_report(all_significant_bonferroni --bonferroni 19 1 19 13 7 7 13)
expect_report(half_point_digit_symbol 10 10.5 10 10 10 10 10)
expect_status(2 10 10 10 10 10 10 20)
expect_status(64 10 10 10)
expect_status(64 --ci x 10 10 10 10 10 10 10)
expect_status(0 --help)
