# The third-party libraries of the browser build: static libraries built as
# WebAssembly from Debian's source packages into VEMLA_WEB_DEPS
# (scripts/web-deps.sh), found through their pkg-config files and offered
# under the native build's target names. OpenGL is the project's own layer
# (platform/web/), whose headers stand in for the system's.
set(VEMLA_WEB_DEPS "" CACHE PATH "Where the libraries built for the web are installed")
if(NOT VEMLA_WEB_DEPS)
  message(FATAL_ERROR "Set VEMLA_WEB_DEPS to the libraries built for the web (scripts/web.sh does)")
endif()
set(ENV{PKG_CONFIG_LIBDIR} "${VEMLA_WEB_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(JPEG_PC REQUIRED IMPORTED_TARGET libjpeg)
add_library(JPEG::JPEG ALIAS PkgConfig::JPEG_PC)
add_library(OpenGL::GL INTERFACE IMPORTED GLOBAL)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/platform/web/include")
