# salvind-setup-<version>-<arch>.exe: the NSIS installer, made by makensis
# on the build machine from salvind.nsi. Without makensis it is not made.
find_program(SALVIND_MAKENSIS makensis)
if(NOT SALVIND_MAKENSIS)
  message(STATUS "makensis not found: the Windows installer is not made")
  return()
endif()

set(SALVIND_INSTALLER "${CMAKE_BINARY_DIR}/salvind-setup-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}.exe"
    CACHE INTERNAL "The Windows installer")
# The games, installed and removed one by one.
set(_games_nsh "${CMAKE_CURRENT_BINARY_DIR}/games.nsh")
set(_install "")
set(_uninstall "")
foreach(_game IN LISTS SALVIND_SAMPLE_GAMES)
  string(APPEND _install "  File \"${SALVIND_STAGE_DIR}/games/${_game}.exe\"\n")
  string(APPEND _uninstall "  Delete \"$INSTDIR\\share\\salvind\\games\\${_game}.exe\"\n")
endforeach()
file(WRITE ${_games_nsh}.in
     "!macro InstallGames\n${_install}!macroend\n!macro UninstallGames\n${_uninstall}!macroend\n")
configure_file(${_games_nsh}.in ${_games_nsh} COPYONLY)

add_custom_command(
  OUTPUT ${SALVIND_INSTALLER}
  COMMAND ${SALVIND_MAKENSIS} -V2 -NOCD
          -DVERSION=${PROJECT_VERSION}
          -DARCH=${CMAKE_SYSTEM_PROCESSOR}
          -DOUTFILE=${SALVIND_INSTALLER}
          -DEXE=$<TARGET_FILE:salvind>
          -DDATA=${SALVIND_STAGE_DIR}/data
          -DDISCLAIMER=${SALVIND_ASSET_DIR}/disclaim.otx
          -DICON=${SALVIND_ASSET_DIR}/salvind.ico
          -DFILES_NSH=${_games_nsh}
          ${CMAKE_CURRENT_LIST_DIR}/salvind.nsi
  DEPENDS salvind ${SALVIND_SAMPLE_GAMES} salvind_assets ${CMAKE_CURRENT_LIST_DIR}/salvind.nsi ${_games_nsh}
  COMMENT "Making the Windows installer"
  VERBATIM)
add_custom_target(salvind_installer ALL DEPENDS ${SALVIND_INSTALLER})
