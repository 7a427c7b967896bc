# Packs what orva-art drew for the lobby, run as a script by the build
# (cmake -P) once the generator has run:
#   ASSET_DIR/map.png                 -> STAGE_DIR/data/Salvind/salvind.oim
#   ASSET_DIR/buildings/<game>/set.txt -> STAGE_DIR/server/sets/<game>.set
#                                        and ASSET_DIR/buildings/<game>.ogi (version 1)
# Games whose folder was not drawn are skipped, and their old sets removed,
# so the staged tree holds exactly what the generator made.
# Expects PACK, ASSET_DIR, STAGE_DIR, GAMES (a ;-list) and STAMP.

foreach(var PACK ASSET_DIR STAGE_DIR GAMES STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack_buildings.cmake needs ${var}")
  endif()
endforeach()

function(run_pack)
  execute_process(COMMAND ${PACK} ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " what)
    message(FATAL_ERROR "orva-pack ${what} failed")
  endif()
endfunction()

if(EXISTS "${ASSET_DIR}/map.png")
  file(MAKE_DIRECTORY "${STAGE_DIR}/data/Salvind")
  run_pack(image "${STAGE_DIR}/data/Salvind/salvind.oim" "${ASSET_DIR}/map.png")
endif()

file(MAKE_DIRECTORY "${STAGE_DIR}/server/sets" "${ASSET_DIR}/buildings")
foreach(game IN LISTS GAMES)
  set(set_file "${STAGE_DIR}/server/sets/${game}.set")
  set(game_image "${ASSET_DIR}/buildings/${game}.ogi")
  if(EXISTS "${ASSET_DIR}/buildings/${game}/set.txt")
    run_pack(set "${set_file}" "${ASSET_DIR}/buildings/${game}/set.txt")
    run_pack(game-image "${game_image}" "${set_file}" 1)
  else()
    file(REMOVE "${set_file}" "${game_image}")
  endif()
endforeach()

file(TOUCH "${STAMP}")
