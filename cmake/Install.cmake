# What `cmake --install` puts under the prefix: the game in libexec/vortalis,
# its generated data in share/vortalis/dat, the launcher bin/vortalis, the
# desktop entry and the icons, all in the component "game". Included at the end
# of the top-level CMakeLists.
include(GNUInstallDirs)

set(VORTALIS_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vortalis)
set(VORTALIS_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vortalis)

# The launcher reaches the game and the data relative to its own folder, so an
# install works under any prefix and keeps working when moved; that needs the
# three folders relative to the prefix.
foreach(dir BINDIR LIBEXECDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the install prefix, "
                        "not ${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
file(RELATIVE_PATH VORTALIS_LAUNCHER_TO_GAME /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VORTALIS_GAME_DIR}/vortalis)
file(RELATIVE_PATH VORTALIS_LAUNCHER_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VORTALIS_DATA_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/vortalis.in ${PROJECT_BINARY_DIR}/packaging/vortalis @ONLY)

install(TARGETS vortalis RUNTIME DESTINATION ${VORTALIS_GAME_DIR} COMPONENT game)
if(TARGET dat)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/dat DESTINATION ${VORTALIS_DATA_DIR} COMPONENT game)
endif()
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/vortalis DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vortalis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT game)

# The icon is drawn by the art builder from packaging/icon/, one source per size
# (the builder insists that a source declares the size it is drawn at).
if(TARGET art_build)
  set(VORTALIS_ICONS)
  foreach(size 256 48)
    set(source packaging/icon/vortalis-${size}.svg)
    set(png ${PROJECT_BINARY_DIR}/packaging/icons/${size}x${size}/vortalis.png)
    set(dep ${PROJECT_BINARY_DIR}/packaging/icons/vortalis-${size}.d)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging/icons/${size}x${size}
      COMMAND art_build ${PROJECT_SOURCE_DIR} ${source} ${png} ${size} ${size} ${dep}
      DEPENDS art_build ${PROJECT_SOURCE_DIR}/${source}
      DEPFILE ${dep}
      COMMENT "Drawing the ${size}x${size} icon"
      VERBATIM)
    list(APPEND VORTALIS_ICONS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT game)
  endforeach()
  add_custom_target(vortalis_icons ALL DEPENDS ${VORTALIS_ICONS})
else()
  message(WARNING "tools/art is missing: the install will have no icon")
endif()

# tests/install/ installs the build into a scratch prefix and runs the launcher.
if(TARGET vortalis_tests)
  target_compile_definitions(vortalis_tests PRIVATE VORTALIS_CMAKE_COMMAND="${CMAKE_COMMAND}")
  if(TARGET vortalis_icons)
    add_dependencies(vortalis_tests vortalis_icons)
  endif()
endif()
