# Building for the web with Debian's emscripten: its own platform file,
# with the libraries built for the web (scripts/web-deps.sh) found besides
# its system root, and programs that CMake runs itself run by node.
set(VEMLA_EMSCRIPTEN_ROOT "/usr/share/emscripten" CACHE PATH "Where Debian's emscripten lives")
include("${VEMLA_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

set(VEMLA_WEB_DEPS "" CACHE PATH "Where the libraries built for the web are installed")
list(APPEND CMAKE_FIND_ROOT_PATH ${VEMLA_WEB_DEPS})

# Programs that CMake runs itself (emscripten's CheckTypeSize runs its
# test program) run under node. Not as emcmake would run them, with
# --experimental-wasm-threads, which node 18 and later refuse; and without
# node's fetch, which emscripten 3.1.6's output, finding it, takes for a
# browser's and so fails to load its .wasm from a file.
find_program(VEMLA_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${VEMLA_NODE};--no-experimental-fetch" CACHE STRING
  "Runs a program built for the web" FORCE)
