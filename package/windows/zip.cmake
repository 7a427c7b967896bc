# The zip a player unpacks and runs: Salvind\salvind.exe with its data\ and
# games\ beside it, as the staged tree holds them.
set(_arch ${CMAKE_SYSTEM_PROCESSOR})
set(SALVIND_ZIP "${CMAKE_BINARY_DIR}/salvind-windows-${_arch}.zip" CACHE INTERNAL "The player's zip")
set(_package_dir "${CMAKE_BINARY_DIR}/package")
file(MAKE_DIRECTORY ${_package_dir})
add_custom_command(
  OUTPUT ${SALVIND_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_package_dir}/Salvind
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_package_dir}/Salvind
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:salvind> ${_package_dir}/Salvind/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${SALVIND_STAGE_DIR}/data ${_package_dir}/Salvind/data
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${SALVIND_STAGE_DIR}/games ${_package_dir}/Salvind/games
  COMMAND ${CMAKE_COMMAND} -E rm -f ${SALVIND_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${SALVIND_ZIP} --format=zip Salvind
  WORKING_DIRECTORY ${_package_dir}
  DEPENDS salvind ${SALVIND_SAMPLE_GAMES} salvind_assets
  COMMENT "Packing the player's zip"
  VERBATIM)
add_custom_target(salvind_zip ALL DEPENDS ${SALVIND_ZIP})
