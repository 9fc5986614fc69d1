# The Debian packages: `cpack -G DEB` in the build folder makes
# vortalis_<version>_amd64.deb from what the "game" component installs and
# libvortalis-framework-dev_<version>_amd64.deb from the "dev" component (the
# framework for other programs), both under /usr, with the manual page, the
# copyright file and the changelog that Debian's rules ask for. The game's
# dependencies on shared libraries are computed by dpkg-shlibdeps from its
# binary; only the fonts it draws its text with, which no library link reveals,
# are named here. The framework's package holds a static library, so it
# depends on the libraries' development packages instead. Included after
# Install.cmake and FrameworkInstall.cmake by the top-level CMakeLists.

set(VORTALIS_PACKAGE_MAINTAINER "Vortalis maintainers <maintainers@vortalis.example.org>"
    CACHE STRING "Name and e-mail address in the Debian package's Maintainer field and changelog")

# Debian wants the manual page and the changelog compressed with gzip -9n (no
# name or time stamp in the header, so the result depends on the text alone).
set(VORTALIS_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${VORTALIS_PACKAGING_OUT}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${VORTALIS_PACKAGING_OUT}/copyright @ONLY)
set(VORTALIS_GZIPPED)
foreach(pair "${PROJECT_SOURCE_DIR}/packaging/vortalis.6|vortalis.6.gz" "${VORTALIS_PACKAGING_OUT}/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(
    OUTPUT ${VORTALIS_PACKAGING_OUT}/${name}
    COMMAND sh -c "gzip -9n <\"$1\" >\"$2.tmp\" && mv -f \"$2.tmp\" \"$2\"" gzip ${source} ${VORTALIS_PACKAGING_OUT}/${name}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND VORTALIS_GZIPPED ${VORTALIS_PACKAGING_OUT}/${name})
endforeach()
add_custom_target(vortalis_docs ALL DEPENDS ${VORTALIS_GZIPPED})

install(FILES ${VORTALIS_PACKAGING_OUT}/vortalis.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES ${VORTALIS_PACKAGING_OUT}/copyright ${VORTALIS_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vortalis COMPONENT game)
install(FILES ${VORTALIS_PACKAGING_OUT}/copyright ${VORTALIS_PACKAGING_OUT}/changelog.gz
        DESTINATION ${VORTALIS_FRAMEWORK_DOC_DIR} COMPONENT dev)
if(TARGET vortalis_tests)
  add_dependencies(vortalis_tests vortalis_docs)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vortalis developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL game dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORTALIS_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE vortalis)

# The game.
set(CPACK_DEBIAN_GAME_PACKAGE_NAME vortalis)
set(CPACK_DEBIAN_GAME_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-dejavu-core")
set(CPACK_COMPONENT_GAME_DESCRIPTION
    "side-scrolling shoot-'em-up
The heroine's ship fights waves of enemies through five stages, each ending
with a boss; destroyed enemies leave items that raise the ship's speed and
power. Story scenes in the style of a visual novel open and close the game.
Played with the keyboard or a game controller, full screen or in a window.")

# The framework for other programs: header, static library, CMake package and
# pkg-config file. What it links comes from the development packages of the
# libraries; the fonts are those its text falls back to.
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvortalis-framework-dev)
set(CPACK_DEBIAN_DEV_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libsdl2-dev, libpng-dev, libjpeg-dev, libvorbis-dev, libogg-dev, libmpg123-dev, libfreetype-dev, libfontconfig-dev, pkg-config, fonts-ipafont-gothic")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "Vortalis media framework (static library and header)
A small 2D game framework of flat C-style calls: one window with a 640x480
picture drawn in software, images with blending, scaling and rotation,
outline-font text in Shift-JIS or UTF-8, sound effects and streamed music,
keyboard and game controllers, a millisecond clock, and a headless platform
with a virtual clock for tests. Programs find it with CMake's
find_package(VortalisFramework) or pkg-config's vortalis-framework.")

set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian-staging.cmake)
include(CPack)
