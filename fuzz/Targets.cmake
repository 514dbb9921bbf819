# The fuzz targets: name, then the source holding its LLVMFuzzerTestOneInput.
# Each has a seed corpus in fuzz/corpus/<name>/.
set(KALDEN_FUZZ_TARGETS scan_number input_record command_line scan_differential previous_data matrix_file batch_input)
set(KALDEN_FUZZ_SOURCE_scan_number ${CMAKE_CURRENT_LIST_DIR}/ScanNumberFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_input_record ${CMAKE_CURRENT_LIST_DIR}/InputRecordFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_command_line ${CMAKE_CURRENT_LIST_DIR}/CommandLineFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_scan_differential ${CMAKE_CURRENT_LIST_DIR}/ScanDifferentialFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_previous_data ${CMAKE_CURRENT_LIST_DIR}/PreviousDataFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_matrix_file ${CMAKE_CURRENT_LIST_DIR}/MatrixFileFuzz.cpp)
set(KALDEN_FUZZ_SOURCE_batch_input ${CMAKE_CURRENT_LIST_DIR}/BatchInputFuzz.cpp)
