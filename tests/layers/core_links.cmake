# Fails unless the scoring and report library links nothing: LINKS_FILE
# holds its LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES as CMake generated
# them (a list; empty when it links nothing beyond the standard library).
# Run as: cmake -DLINKS_FILE=<file> -P core_links.cmake
file(READ "${LINKS_FILE}" links)
string(STRIP "${links}" links)
list(REMOVE_ITEM links "")
if(links)
  message(FATAL_ERROR "kalden_core links ${links}; it must need the C++ standard library alone")
endif()
message(STATUS "kalden_core links nothing beyond the C++ standard library")
