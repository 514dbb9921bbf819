# Replays every fuzz target's seed corpus as a test of the normal build: the
# target's LLVMFuzzerTestOneInput compiled with the ordinary compiler and a
# plain driver that feeds it each corpus file. Included by tests/CMakeLists.txt.
include(${CMAKE_CURRENT_LIST_DIR}/Targets.cmake)

foreach(target IN LISTS KALDEN_FUZZ_TARGETS)
  add_executable(fuzz_replay_${target} ${KALDEN_FUZZ_SOURCE_${target}} ${CMAKE_CURRENT_LIST_DIR}/ReplayMain.cpp)
  target_link_libraries(fuzz_replay_${target} PRIVATE kalden_cli)
  target_include_directories(fuzz_replay_${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_LIST_DIR})
  add_test(NAME fuzz_corpus_${target} COMMAND fuzz_replay_${target} ${CMAKE_CURRENT_LIST_DIR}/corpus/${target})
endforeach()
