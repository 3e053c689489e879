# The third-party libraries of the browser build: static libraries built as
# WebAssembly from Debian's source packages into VEMLA_WEB_DEPS
# (scripts/web-deps.sh), found through their pkg-config files and offered
# under the native build's target names. OpenGL is the project's own layer
# (platform/web/), whose headers stand in for the system's.
set(VEMLA_WEB_DEPS "" CACHE PATH "Where the libraries built for the web are installed")
if(NOT VEMLA_WEB_DEPS)
  message(FATAL_ERROR "Set VEMLA_WEB_DEPS to the libraries built for the web (scripts/web.sh does)")
endif()
# C++ exceptions are caught (emscripten otherwise leaves catching out) in
# the code built with VEMLA_WEB_CATCHING: where the editor reads texts (the
# timeline's reader reports a text's errors by them) and files. Not
# everywhere: in code built with it, every call made inside a try block or
# past an object with a destructor goes through JavaScript, and one left
# by the exception with which the main loop is handed to the page
# (platform/HostLoop.h) frees the stack that the loop's state lives on.
# So the functions on the way to the main loop, and the frames' drawing,
# are built without it; an exception thrown there still reaches a catch
# built with it, past the frames between.
set(VEMLA_WEB_CATCHING -fexceptions)
add_link_options(-fexceptions)
set(ENV{PKG_CONFIG_LIBDIR} "${VEMLA_WEB_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(JPEG_PC REQUIRED IMPORTED_TARGET libjpeg)
# Dear ImGui with its SDL2 and OpenGL2 backends, for the editor's page.
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
# XML for GNU Rocket's editor files, which the editor reads and writes.
pkg_check_modules(TINYXML2 REQUIRED IMPORTED_TARGET tinyxml2)
add_library(JPEG::JPEG ALIAS PkgConfig::JPEG_PC)
add_library(OpenGL::GL INTERFACE IMPORTED GLOBAL)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/platform/web/include")

# How the programs are linked for a page (the player and the editor): for
# the browser only, WebGL 2 through the project's own GL layer, memory that
# grows, started by the page (callMain) once it is ready, and ended with
# its exit status, which the page hears; their files come in packages
# (vemla_web_package) that the page loads before them.
set(VEMLA_WEB_PROGRAM_OPTIONS -sUSE_SDL=0 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1
    "-sEXPORTED_RUNTIME_METHODS=[callMain]")

# A package of files that a page loads into its program's file system
# before the program starts: <name>.data and its loader <name>.data.js
# beside the programs, made by emscripten's file packager from FILES, each
# "<file or folder>@<path in the program's file system>", again whenever a
# file in DEPENDS changes. A page may load several, each loader before the
# program.
function(vemla_web_package name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FILES;DEPENDS")
  set(data ${CMAKE_BINARY_DIR}/${name}.data)
  add_custom_command(
    OUTPUT ${data} ${data}.js
    COMMAND ${VEMLA_EMSCRIPTEN_ROOT}/tools/file_packager ${data} --preload ${arg_FILES} --js-output=${data}.js --no-node
    DEPENDS ${arg_DEPENDS}
    COMMENT "Packing ${name}.data"
    VERBATIM)
  add_custom_target(${name}-package ALL DEPENDS ${data} ${data}.js)
endfunction()
