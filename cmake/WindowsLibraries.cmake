# The third-party libraries of the Windows build: static libraries
# cross-built from Debian's source packages into VEMLA_WINDOWS_DEPS, found
# through their pkg-config files and offered under the same target names as
# the native build's, so that the layers link the same way on both systems.
set(VEMLA_WINDOWS_DEPS "" CACHE PATH "Where the cross-built libraries are installed")
if(NOT VEMLA_WINDOWS_DEPS)
  message(FATAL_ERROR "Set VEMLA_WINDOWS_DEPS to the cross-built libraries (scripts/windows.sh does)")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VEMLA_WINDOWS_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${VEMLA_WINDOWS_DEPS})
set(ENV{PKG_CONFIG_LIBDIR} "${VEMLA_WINDOWS_DEPS}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Everything linked in, the compiler's own runtime too: the program runs
# from its folder with nothing installed.
add_link_options(-static -static-libgcc -static-libstdc++)

# target: the name after PkgConfig::; module: the pkg-config module.
function(vemla_static_library target module)
  pkg_check_modules(VEMLA_${target} REQUIRED ${module})
  set(flags ${VEMLA_${target}_STATIC_LDFLAGS})
  # SDL's own entry point and its GUI-only subsystem stay out: the programs
  # keep their plain main and their console.
  list(REMOVE_ITEM flags -lSDL2main -mwindows -lmingw32)
  set(cflags ${VEMLA_${target}_STATIC_CFLAGS_OTHER})
  list(REMOVE_ITEM cflags -Dmain=SDL_main)
  add_library(PkgConfig::${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(PkgConfig::${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${VEMLA_${target}_STATIC_INCLUDE_DIRS}"
    INTERFACE_COMPILE_OPTIONS "${cflags}"
    INTERFACE_LINK_LIBRARIES "${flags}")
endfunction()

vemla_static_library(SDL2 sdl2)
vemla_static_library(SDL2_MIXER SDL2_mixer)
vemla_static_library(FREETYPE freetype2)
vemla_static_library(IMGUI imgui)
vemla_static_library(TINYXML2 tinyxml2)
vemla_static_library(PNG libpng)
vemla_static_library(JPEG_PC libjpeg)
add_library(JPEG::JPEG ALIAS PkgConfig::JPEG_PC)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)

# The run directory is made by the content tool of the native build, which
# runs on the build machine; the Windows build copies it.
set(VEMLA_HOST_STAGE "" CACHE PATH "The native build's run directory (build/stage)")
if(NOT EXISTS "${VEMLA_HOST_STAGE}/demo.vrk")
  message(FATAL_ERROR "VEMLA_HOST_STAGE must name a run directory with demo.vrk; build natively first")
endif()

# How the build machine starts a Windows program.
set(VEMLA_WINE "/usr/lib/wine/wine64" CACHE FILEPATH "wine for running the Windows tests")
