# Run by cpack after it has installed the game into its staging folder and
# before it packs it. Debian keeps the commands of games in /usr/games, so the
# Debian package has its launcher there (it finds the game and the data
# relative to itself, and games/ lies as deep as bin/, so it works unchanged);
# and lintian is told that the story tables are Shift-JIS on purpose.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
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
