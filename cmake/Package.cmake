# The Debian package: `cpack -G DEB` in the build folder makes
# vortalis_<version>_amd64.deb from what the "game" component installs, under
# /usr, with the manual page, the copyright file and the changelog that Debian's
# rules ask for. The dependencies on shared libraries are computed by
# dpkg-shlibdeps from the game's binary; only the fonts the game draws its text
# with, which no library link reveals, are named here. Included after
# Install.cmake by the top-level CMakeLists.

set(VORTALIS_PACKAGE_MAINTAINER "Vortalis maintainers <maintainers@vortalis.example.org>"
    CACHE STRING "Name and e-mail address in the Debian package's Maintainer field and changelog")

# Debian wants the manual page and the changelog compressed with gzip -9n (no
# name or time stamp in the header, so the result depends on the text alone).
set(VORTALIS_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${VORTALIS_PACKAGING_OUT}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${VORTALIS_PACKAGING_OUT}/copyright @ONLY)
set(VORTALIS_GZIPPED)
foreach(pair "${CMAKE_SOURCE_DIR}/packaging/vortalis.6|vortalis.6.gz" "${VORTALIS_PACKAGING_OUT}/changelog|changelog.gz")
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
if(TARGET vortalis_tests)
  add_dependencies(vortalis_tests vortalis_docs)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vortalis developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling shoot-'em-up")
set(CPACK_PACKAGE_DESCRIPTION
    "The heroine's ship fights waves of enemies through five stages, each ending
with a boss; destroyed enemies leave items that raise the ship's speed and
power. Story scenes in the style of a visual novel open and close the game.
Played with the keyboard or a game controller, full screen or in a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORTALIS_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/debian-staging.cmake)
include(CPack)
