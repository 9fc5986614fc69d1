# Run by cpack after it has installed the components into its staging folder
# and before it packs them, one folder per component. Debian keeps the commands
# of games in /usr/games, so the game's package has its launcher there (it
# finds the game and the data relative to itself, and games/ lies as deep as
# bin/, so it works unchanged); lintian is told that the story tables are
# Shift-JIS on purpose. The framework's static library loses its debugging
# sections, as Debian's -dev packages ship them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/game/usr")
if(NOT EXISTS "${usr}/bin/vortalis")
  message(FATAL_ERROR "no launcher at ${usr}/bin/vortalis to move to /usr/games")
endif()
file(MAKE_DIRECTORY "${usr}/games")
file(RENAME "${usr}/bin/vortalis" "${usr}/games/vortalis")
file(GLOB left "${usr}/bin/*")
if(NOT left)
  file(REMOVE_RECURSE "${usr}/bin")
endif()
file(WRITE "${usr}/share/lintian/overrides/vortalis"
     "# The game's data files are Shift-JIS text, as the game reads them.\n"
     "vortalis: national-encoding [usr/share/vortalis/dat/*]\n")

file(GLOB_RECURSE archives "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/dev/usr/*.a")
foreach(archive IN LISTS archives)
  execute_process(COMMAND strip --strip-debug --remove-section=.comment --remove-section=.note
                          --enable-deterministic-archives "${archive}"
                  RESULT_VARIABLE stripped)
  if(NOT stripped EQUAL 0)
    message(FATAL_ERROR "strip failed on ${archive}")
  endif()
endforeach()
