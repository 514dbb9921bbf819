# nlohmann-json is headers only, but Debian installs it for the build machine
# alone, under /usr/include. A cross-build takes just its nlohmann/ folder
# (through a folder of its own) rather than all of the build machine's
# /usr/include, whose C library headers would shadow the target system's.
find_path(KALDEN_HOST_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KALDEN_HOST_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
set(staged ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${staged})
file(CREATE_LINK ${KALDEN_HOST_JSON_INCLUDE}/nlohmann ${staged}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${staged})
