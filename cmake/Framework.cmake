# The media framework as a library of its own, Vortalis::framework: the target
# the game links, and the one another project gets from add_subdirectory of
# this checkout or from find_package(VortalisFramework) after an install
# (cmake/FrameworkInstall.cmake). Programs include <vortalis/framework.h>.
# Included by the top-level CMakeLists in both roles, so nothing here may rely
# on being the top project.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# The libraries behind the platform, each found through pkg-config under a
# prefix of its own so that a project that finds the same libraries under
# their usual names keeps its own targets. The installed package config finds
# the same list again (cmake/VortalisFrameworkConfig.cmake.in), and the
# pkg-config file requires it (packaging/vortalis-framework.pc.in).
set(VORTALIS_FRAMEWORK_PKG_MODULES
  "SDL2|sdl2"
  "PNG|libpng"
  "JPEG|libjpeg"
  "VORBISFILE|vorbisfile vorbis ogg"
  "MPG123|libmpg123"
  "FREETYPE|freetype2"
  "FONTCONFIG|fontconfig")
set(VORTALIS_FRAMEWORK_DEP_TARGETS)
set(VORTALIS_FRAMEWORK_PC_REQUIRES)
foreach(entry IN LISTS VORTALIS_FRAMEWORK_PKG_MODULES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 name)
  list(GET entry 1 modules)
  separate_arguments(modules UNIX_COMMAND "${modules}")
  pkg_check_modules(VORTALIS_FW_${name} REQUIRED IMPORTED_TARGET ${modules})
  list(APPEND VORTALIS_FRAMEWORK_DEP_TARGETS PkgConfig::VORTALIS_FW_${name})
  list(APPEND VORTALIS_FRAMEWORK_PC_REQUIRES ${modules})
endforeach()
list(JOIN VORTALIS_FRAMEWORK_PC_REQUIRES " " VORTALIS_FRAMEWORK_PC_REQUIRES)

# Strings in the framework are Shift-JIS at run time, like the data files; the
# sources are UTF-8 and g++ converts the literals.
set(VORTALIS_CHARSET_FLAGS)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(VORTALIS_CHARSET_FLAGS -fexec-charset=CP932)
endif()
set(VORTALIS_WARNINGS -Wall -Wextra -Wno-unused-parameter)
# Floating point exactly as written, on every compiler and CPU: no fused
# multiply-adds, so replays of the game play identically everywhere. Nothing
# like -ffast-math either.
set(VORTALIS_FP_FLAGS -ffp-contract=off)

file(GLOB_RECURSE VORTALIS_FRAMEWORK_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/framework/*.cpp)
add_library(framework STATIC ${VORTALIS_FRAMEWORK_SOURCES})
add_library(Vortalis::framework ALIAS framework)
set_target_properties(framework PROPERTIES
  OUTPUT_NAME vortalis-framework     # libvortalis-framework.a
  EXPORT_NAME framework
  CXX_STANDARD 20
  CXX_STANDARD_REQUIRED ON
  CXX_EXTENSIONS OFF)
# The rasterizer's AVX2 loops: chosen at run time only on CPUs that have AVX2.
set_source_files_properties(${PROJECT_SOURCE_DIR}/framework/backend/raster/raster_avx2.cpp
                            PROPERTIES COMPILE_OPTIONS -mavx2)
target_compile_options(framework PRIVATE ${VORTALIS_CHARSET_FLAGS} ${VORTALIS_WARNINGS} ${VORTALIS_FP_FLAGS})

# The public header as programs include it, <vortalis/framework.h>, in the
# build tree too; configure_file copies it again whenever it changes.
configure_file(${PROJECT_SOURCE_DIR}/framework/framework.h
               ${PROJECT_BINARY_DIR}/include/vortalis/framework.h COPYONLY)
include(GNUInstallDirs)
target_include_directories(framework
  PUBLIC $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
  PRIVATE ${PROJECT_SOURCE_DIR})
# The libraries are linked, not included: a program sees only framework.h.
target_link_libraries(framework PRIVATE ${VORTALIS_FRAMEWORK_DEP_TARGETS} Threads::Threads)

# Inside this project the game, tools, tests and benchmarks reach the
# framework's internals ("framework/..." from the source root) and some the
# libraries' own headers; this target gives them both. It is never installed.
add_library(framework_internals INTERFACE)
target_include_directories(framework_internals INTERFACE ${PROJECT_SOURCE_DIR})
target_link_libraries(framework_internals INTERFACE framework ${VORTALIS_FRAMEWORK_DEP_TARGETS} Threads::Threads)
