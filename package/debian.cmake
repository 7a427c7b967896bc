# The Debian packages, made by CPack from the install rules below (the
# package script runs cpack on a built tree):
#   salvind      the client in /usr/games, its data in /usr/share/salvind/data/,
#                the sample games in /usr/lib/salvind/games/ (found through
#                /usr/share/salvind/games), the desktop entry, icons,
#                AppStream metadata and the manual page
#   orva-lobbyd  the server and orva-lobbyctl in /usr/sbin, the configuration
#                in /etc/orva-lobbyd/, the building sets, the system user and
#                the systemd unit
include(GNUInstallDirs)

set(_linux ${CMAKE_CURRENT_SOURCE_DIR}/linux)
set(_made ${CMAKE_CURRENT_BINARY_DIR}/made)
set(SALVIND_MAINTAINER "The Salvind developers <${SALVIND_SUPPORT_EMAIL}>")
set(SALVIND_DEB_SOURCE salvind)
# The release's day; SOURCE_DATE_EPOCH, when set, makes it reproducible.
string(TIMESTAMP SALVIND_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP SALVIND_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)

configure_file(${_linux}/example.orva.Salvind.metainfo.xml.in ${_made}/example.orva.Salvind.metainfo.xml @ONLY)
configure_file(${_linux}/copyright ${_made}/copyright @ONLY)
configure_file(${_linux}/changelog.in ${_made}/changelog @ONLY)

# Manual pages and the changelog, compressed as Debian keeps them
# (gzip -n: no name or time inside, the same bytes every build).
set(_compressed)
foreach(_page salvind.6 orva-lobbyd.8 orva-lobbyctl.8)
  configure_file(${_linux}/${_page}.in ${_made}/${_page} @ONLY)
endforeach()
foreach(_file salvind.6 orva-lobbyd.8 orva-lobbyctl.8 changelog)
  add_custom_command(
    OUTPUT ${_made}/${_file}.gz
    COMMAND gzip -9nf -k ${_made}/${_file}
    DEPENDS ${_made}/${_file}
    VERBATIM)
  list(APPEND _compressed ${_made}/${_file}.gz)
endforeach()
add_custom_target(salvind_package_files ALL DEPENDS ${_compressed})

# The games folder of the installed tree is a link to where programs belong.
file(CREATE_LINK ../../lib/salvind/games ${_made}/games SYMBOLIC)

# ---- salvind: the client
# A game, so in /usr/games; its data is ../share/salvind/ from there all the same.
install(TARGETS salvind RUNTIME DESTINATION games COMPONENT client)
# The staged tree's data files by name: a run from the staged tree may have
# added the player's own files there. The disclaimer document as drawn.
install(FILES ${SALVIND_STAGE_DIR}/data/common/orva.ors
        DESTINATION ${CMAKE_INSTALL_DATADIR}/salvind/data/common COMPONENT client)
install(FILES ${SALVIND_STAGE_DIR}/data/Salvind/start.oim ${SALVIND_STAGE_DIR}/data/Salvind/salvind.ors
              ${SALVIND_STAGE_DIR}/data/Salvind/salvind.oim ${SALVIND_ASSET_DIR}/disclaim.otx
        DESTINATION ${CMAKE_INSTALL_DATADIR}/salvind/data/Salvind COMPONENT client)
install(TARGETS ${SALVIND_SAMPLE_GAMES} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/salvind/games COMPONENT client)
install(FILES ${_made}/games DESTINATION ${CMAKE_INSTALL_DATADIR}/salvind COMPONENT client)
install(FILES ${_linux}/example.orva.Salvind.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT client)
install(FILES ${_made}/example.orva.Salvind.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT client)
foreach(_size IN LISTS SALVIND_ICON_SIZES)
  install(FILES ${SALVIND_ASSET_DIR}/icon-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME salvind.png COMPONENT client)
endforeach()
install(FILES ${_made}/salvind.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT client)
install(FILES ${_made}/copyright ${_made}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/salvind
        COMPONENT client)

# ---- orva-lobbyd: the server
install(TARGETS orva-lobbyd orva-lobbyctl RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT server)
install(FILES ${_linux}/lobby.toml ${PROJECT_SOURCE_DIR}/server/demo/welcome.txt
              ${PROJECT_SOURCE_DIR}/server/demo/disclaimer.txt
        DESTINATION /etc/orva-lobbyd COMPONENT server)
foreach(_game IN LISTS SALVIND_LOBBY_GAMES)
  install(FILES ${SALVIND_STAGE_DIR}/server/sets/${_game}.set DESTINATION ${CMAKE_INSTALL_DATADIR}/orva-lobbyd/sets
          COMPONENT server)
endforeach()
install(FILES ${_linux}/orva-lobbyd.service DESTINATION lib/systemd/system COMPONENT server)
install(FILES ${_linux}/orva-lobbyd.sysusers DESTINATION lib/sysusers.d RENAME orva-lobbyd.conf
        COMPONENT server)
install(FILES ${_made}/orva-lobbyd.8.gz ${_made}/orva-lobbyctl.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
        COMPONENT server)
install(FILES ${_made}/copyright ${_made}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orva-lobbyd
        COMPONENT server)

# ---- CPack
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SALVIND_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SALVIND_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SALVIND_MAINTAINER}")

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME salvind)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION games)
set(CPACK_COMPONENT_CLIENT_DESCRIPTION "lobby client of the Orva game town
Salvind is the lobby client of the Orva online game service. Players log in
or register, and the lobby shows a map of a small town on which every game
room of the server stands as an animated building; a double click starts
the room's game.
.
Sample games for chess, cards, dice, go, backgammon and puzzles come with
it.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME orva-lobbyd)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "lobby server of the Orva game service
orva-lobbyd admits the players of the Salvind client, keeps their accounts,
announces the game rooms with their buildings' pictures and sends the
welcome text and the disclaimer. orva-lobbyctl changes rooms, alerts
players and locks accounts on a running server.
.
The package installs a systemd service that starts once enabled.")
configure_file(${_linux}/orva-lobbyd.conffiles ${_made}/server-control/conffiles COPYONLY)
foreach(_script postinst prerm postrm)
  configure_file(${_linux}/orva-lobbyd.${_script} ${_made}/server-control/${_script} COPYONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${_made}/server-control/conffiles ${_made}/server-control/postinst
    ${_made}/server-control/prerm ${_made}/server-control/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS systemd)

include(CPack)
