# WebAssembly with Debian's emscripten (emcmake): the scoring and report
# library, its tests under node, and the page (src/web).
find_program(KALDEN_NODE NAMES node nodejs REQUIRED)
# Node 18 and later would fetch a test's .wasm with their own fetch, which
# cannot read a file path; the tests read their golden files from the disk.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KALDEN_NODE} --no-experimental-fetch)
set(KALDEN_NODE_TEST_LINK_OPTIONS -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
# emcc's JavaScript optimiser needs acorn, which Debian installs as a node
# module outside node's own search path.
if(EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
endif()
# The core reports a programming error or an impossible argument by an
# exception, which emscripten would otherwise turn into an abort. They are
# WebAssembly's own exceptions, not emscripten's emulation in JavaScript,
# which sends every call that may throw through JavaScript and made the
# page's batch about twice as slow.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)
