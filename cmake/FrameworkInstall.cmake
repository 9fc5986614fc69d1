# What `cmake --install` puts under the prefix for programs built on the
# framework, all in the component "dev": the static library, the header
# include/vortalis/framework.h, the CMake package LIB/cmake/VortalisFramework/
# (found with find_package(VortalisFramework), which finds the libraries the
# framework links by itself) and LIB/pkgconfig/vortalis-framework.pc, and the
# manual docs/framework.md; LIB is lib/ or its multiarch folder. Included at the end of the top-level CMakeLists.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Where the compiler has a multiarch library folder (Debian: x86_64-linux-gnu)
# the library, its CMake package and its .pc file go there, so that they are
# told apart from another architecture's (cross builds find the right .pc).
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(VORTALIS_FRAMEWORK_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(VORTALIS_FRAMEWORK_LIBDIR ${CMAKE_INSTALL_LIBDIR})
endif()
set(VORTALIS_FRAMEWORK_CMAKE_DIR ${VORTALIS_FRAMEWORK_LIBDIR}/cmake/VortalisFramework)
set(VORTALIS_FRAMEWORK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/libvortalis-framework-dev)

install(TARGETS framework EXPORT VortalisFrameworkTargets
        ARCHIVE DESTINATION ${VORTALIS_FRAMEWORK_LIBDIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/framework/framework.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vortalis COMPONENT dev)
install(EXPORT VortalisFrameworkTargets NAMESPACE Vortalis:: FILE VortalisFrameworkTargets.cmake
        DESTINATION ${VORTALIS_FRAMEWORK_CMAKE_DIR} COMPONENT dev)

set(VORTALIS_FRAMEWORK_OUT ${PROJECT_BINARY_DIR}/framework-package)
set(VORTALIS_FRAMEWORK_PKG_MODULES_QUOTED)
foreach(entry IN LISTS VORTALIS_FRAMEWORK_PKG_MODULES)
  string(APPEND VORTALIS_FRAMEWORK_PKG_MODULES_QUOTED " \"${entry}\"")
endforeach()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VortalisFrameworkConfig.cmake.in
                              ${VORTALIS_FRAMEWORK_OUT}/VortalisFrameworkConfig.cmake
                              INSTALL_DESTINATION ${VORTALIS_FRAMEWORK_CMAKE_DIR})
# A program written for 1.1 builds on any later 1.x; a new major version may
# change calls.
write_basic_package_version_file(${VORTALIS_FRAMEWORK_OUT}/VortalisFrameworkConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${VORTALIS_FRAMEWORK_OUT}/VortalisFrameworkConfig.cmake
              ${VORTALIS_FRAMEWORK_OUT}/VortalisFrameworkConfigVersion.cmake
        DESTINATION ${VORTALIS_FRAMEWORK_CMAKE_DIR} COMPONENT dev)

# The .pc file's folders are relative to its own place, so the install can be
# moved, like the game's.
file(RELATIVE_PATH VORTALIS_PC_TO_PREFIX /prefix/${VORTALIS_FRAMEWORK_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" VORTALIS_PC_TO_PREFIX "${VORTALIS_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/vortalis-framework.pc.in
               ${VORTALIS_FRAMEWORK_OUT}/vortalis-framework.pc @ONLY)
install(FILES ${VORTALIS_FRAMEWORK_OUT}/vortalis-framework.pc
        DESTINATION ${VORTALIS_FRAMEWORK_LIBDIR}/pkgconfig COMPONENT dev)

install(FILES ${PROJECT_SOURCE_DIR}/docs/framework.md DESTINATION ${VORTALIS_FRAMEWORK_DOC_DIR} COMPONENT dev)
