# Checks that the includes between the files under SOURCE_DIR run one way,
# down the layers, each the top folders named beside it
#   1 stats    stats/      numerical routines
#   2 scoring  scoring/    the scoring engine and its inputs
#   3 format   format/     number printing, the CSV and JSON writers
#   4 input    worksheet/, matrix/  input rules, the matrix store
#   5 report   report/     report text, the road of one case, the summary
#   6 batch    batch/      batch rows in and out
#   7 files    files/      files, the data folder, the case store
#   8 front    gui/, cli/, web/  the windows, the command line, the page
# (1 to 6 make the scoring and report library, which includes nothing but
# the C++ standard library, save the two software headers named below), that
# they form no cycle: neither between units (a header and its source count
# as one unit) nor between folders, and that the windows reach the case store
# only through the case book.
# A file's layer is its top folder's: there is no list of files that differ.
# Run as: cmake -DSOURCE_DIR=<src> -P check.cmake

cmake_minimum_required(VERSION 3.25)

set(LAYER_NAMES "" stats scoring format input report batch files front)
# Each top folder's layer; the windows' folders sit below gui/.
set(FOLDER_LAYER_stats 1)
set(FOLDER_LAYER_scoring 2)
set(FOLDER_LAYER_format 3)
set(FOLDER_LAYER_worksheet 4)
set(FOLDER_LAYER_matrix 4)
set(FOLDER_LAYER_report 5)
set(FOLDER_LAYER_batch 6)
set(FOLDER_LAYER_files 7)
set(FOLDER_LAYER_gui 8)
set(FOLDER_LAYER_cli 8)
set(FOLDER_LAYER_web 8)
# The highest layer of the scoring and report library.
set(CORE_LIBRARY_TOP 6)
# The headers beyond the standard library the core may name, each in the one
# file that needs it: the software extended type, the software shortest
# text of a double and the case file's JSON reader.
set(CORE_SOFTWARE_HEADERS stats/Extended.h:boost/multiprecision/cpp_bin_float.hpp format/ShortestText.cpp:fmt/format.h
    report/CaseFile.cpp:nlohmann/json.hpp)
# The windows reach the case records through their one owner, the case book:
# no other folder under gui/ names the store's headers.
set(CASE_STORE_HEADERS files/CaseStore.h files/CaseRecords.h)
set(CASE_STORE_OWNER gui/book)
# The headers of the C++ standard library (C++20), the C ones included.
set(STANDARD_HEADERS
  algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono cinttypes
  climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal cstdarg
  cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution filesystem
  format forward_list fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator
  latch limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue random
  ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept
  stop_token streambuf string string_view syncstream system_error thread tuple type_traits typeindex typeinfo
  unordered_map unordered_set utility valarray variant vector version)

function(folder_of file out)
  get_filename_component(folder "${file}" DIRECTORY)
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

function(layer_of file out)
  string(REGEX MATCH "^[^/]+" top "${file}")
  if(DEFINED FOLDER_LAYER_${top} AND NOT top STREQUAL file)
    set(${out} ${FOLDER_LAYER_${top}} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

function(unit_of file out)
  string(REGEX REPLACE "\\.[^./]*$" "" stem "${file}")
  set(${out} "${stem}" PARENT_SCOPE)
endfunction()

# Sets `cycle_out` to one cycle of the graph over NODES, whose edges are in
# EDGES_<id> (an id being the node's C identifier), as "a -> b -> a"; empty
# when there is none. Repeatedly sets aside the nodes whose edges all lead to
# nodes set aside already; whatever is left reaches itself through a chain.
function(find_cycle nodes cycle_out)
  set(remaining ${nodes})
  set(settled "")
  set(progress TRUE)
  while(progress)
    set(progress FALSE)
    set(still "")
    foreach(node IN LISTS remaining)
      string(MAKE_C_IDENTIFIER "${node}" id)
      set(open FALSE)
      foreach(target IN LISTS EDGES_${id})
        if(NOT target IN_LIST settled)
          set(open TRUE)
          break()
        endif()
      endforeach()
      if(open)
        list(APPEND still "${node}")
      else()
        list(APPEND settled "${node}")
        set(progress TRUE)
      endif()
    endforeach()
    set(remaining ${still})
  endwhile()
  if(NOT remaining)
    set(${cycle_out} "" PARENT_SCOPE)
    return()
  endif()
  # Follow edges inside what is left from its first node until a node
  # repeats: that stretch is one cycle.
  list(GET remaining 0 node)
  set(path "")
  while(NOT node IN_LIST path)
    list(APPEND path "${node}")
    string(MAKE_C_IDENTIFIER "${node}" id)
    foreach(target IN LISTS EDGES_${id})
      if(target IN_LIST remaining)
        set(node "${target}")
        break()
      endif()
    endforeach()
  endwhile()
  list(FIND path "${node}" start)
  list(SUBLIST path ${start} -1 cycle)
  list(APPEND cycle "${node}")
  list(JOIN cycle " -> " chain)
  set(${cycle_out} "${chain}" PARENT_SCOPE)
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR '${SOURCE_DIR}' is not a folder")
endif()
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "no source files under ${SOURCE_DIR}")
endif()

set(problems "")
set(units "")
set(folders "")
foreach(file IN LISTS files)
  layer_of("${file}" layer)
  if(layer STREQUAL "")
    string(REGEX MATCH "^[^/]+" top "${file}")
    string(APPEND problems "\n  ${file}: its top folder '${top}' has no layer; add it to tests/layers/check.cmake")
    continue()
  endif()
  list(GET LAYER_NAMES ${layer} layer_name)
  unit_of("${file}" unit)
  folder_of("${file}" folder)
  string(MAKE_C_IDENTIFIER "${unit}" unit_id)
  string(MAKE_C_IDENTIFIER "${folder}" folder_id)
  list(APPEND units "${unit}")
  list(APPEND folders "${folder}")
  if(layer LESS_EQUAL CORE_LIBRARY_TOP)
    file(STRINGS "${SOURCE_DIR}/${file}" system_lines REGEX "^[ \t]*#[ \t]*include[ \t]*<")
    foreach(line IN LISTS system_lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>.*" "\\1" header "${line}")
      if("${file}:${header}" IN_LIST CORE_SOFTWARE_HEADERS)
        continue()
      endif()
      if(NOT header IN_LIST STANDARD_HEADERS)
        string(APPEND problems "\n  ${file} (layer ${layer_name}) includes <${header}>, which is not the C++ "
                               "standard library")
      endif()
    endforeach()
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
    if(NOT EXISTS "${SOURCE_DIR}/${target}")
      string(APPEND problems "\n  ${file}: #include \"${target}\" names no file under src/")
      continue()
    endif()
    if(target IN_LIST CASE_STORE_HEADERS AND file MATCHES "^gui/" AND NOT file MATCHES "^${CASE_STORE_OWNER}/")
      string(APPEND problems "\n  ${file} includes \"${target}\": the windows reach the case store only through "
                             "${CASE_STORE_OWNER}")
    endif()
    layer_of("${target}" target_layer)
    if(target_layer STREQUAL "")
      continue() # reported as a file of its own
    endif()
    if(target_layer GREATER layer)
      list(GET LAYER_NAMES ${target_layer} target_name)
      string(APPEND problems "\n  ${file} (layer ${layer_name}) includes \"${target}\" (layer ${target_name}), "
                             "which is above it")
    endif()
    unit_of("${target}" target_unit)
    folder_of("${target}" target_folder)
    if(NOT target_unit STREQUAL unit)
      list(APPEND EDGES_${unit_id} "${target_unit}")
    endif()
    if(NOT target_folder STREQUAL folder)
      list(APPEND EDGES_${folder_id} "${target_folder}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES units)
list(REMOVE_DUPLICATES folders)

find_cycle("${units}" unit_cycle)
if(unit_cycle)
  string(APPEND problems "\n  include cycle: ${unit_cycle}")
endif()
find_cycle("${folders}" folder_cycle)
if(folder_cycle)
  string(APPEND problems "\n  folder cycle: ${folder_cycle}")
endif()

if(problems)
  message(FATAL_ERROR "Includes that break the layering (stats < scoring < format < input < report < batch < "
                      "files < front):${problems}")
endif()
list(LENGTH files file_count)
list(LENGTH folders folder_count)
message(STATUS "${file_count} files in ${folder_count} folders: every include points down a layer or within one, "
               "no include cycle between units and none between folders")
