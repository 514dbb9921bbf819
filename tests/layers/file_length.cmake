# Fails, naming each one with its count, on a file under SOURCE_DIR that has
# more than MAX_LINES lines holding anything but blanks: a file a reader can
# hold in their head does one job, and the limit says when it has taken on a
# second. Every file counts; there is no list of files that may be longer.
# Run as: cmake -DSOURCE_DIR=<src> [-DMAX_LINES=450] -P file_length.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED MAX_LINES)
  set(MAX_LINES 450)
endif()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
list(SORT files)
set(too_long "")
foreach(file IN LISTS files)
  file(READ "${SOURCE_DIR}/${file}" content)
  # A semicolon would split a match in two as a list element.
  string(REPLACE ";" "," content "${content}")
  # One match at the start of each line that holds something.
  string(REGEX MATCHALL "\n[ \t\r]*[^ \t\r\n]" starts "\n${content}")
  list(LENGTH starts count)
  if(count GREATER MAX_LINES)
    list(APPEND too_long "${file}: ${count} non-blank lines, more than ${MAX_LINES}")
  endif()
endforeach()

if(too_long)
  list(JOIN too_long "\n  " report)
  message(FATAL_ERROR "files over the length limit:\n  ${report}")
endif()
list(LENGTH files checked)
message(STATUS "${checked} files, each within ${MAX_LINES} non-blank lines")
