# SPDX-License-Identifier: MIT
# Installs the executables, the manual page, the desktop entries, the icons
# and the AppStream metadata. The Debian package (debian/) is built by
# debhelper from these same rules; it strips, compresses and adds the
# copyright file and changelog itself.
#
# Layout: the executables go to games/ (/usr/games in the package), with
# their manual page in section 6 and the package in Debian's "games"
# section: that is where Debian puts games and demos (Debian Policy 11.11),
# and tubeflight is a demo to watch. Debian's default PATH for users
# includes /usr/games, so the desktop entries start the programs by name.

include(GNUInstallDirs)

set(TUBEFLIGHT_INSTALL_GAMESDIR games)
install(TARGETS tubeflight tubeflight-fs RUNTIME DESTINATION ${TUBEFLIGHT_INSTALL_GAMESDIR})
# The AppStream id (reverse DNS), which also names the desktop entries and
# the icons, and the project's public home. The project has no registered
# domain of its own yet: the id is built on the one it uses for its
# maintainer address, a reserved .example name that can belong to nobody
# else. Publishing the project means setting the home page here (the
# screenshot is its docs/flight.png); the id stays.
set(TUBEFLIGHT_APP_ID example.c_seed_6176c425.tubeflight)
set(TUBEFLIGHT_HOMEPAGE "https://c-seed-6176c425.example/tubeflight"
    CACHE STRING "Public home page of the project, named in the AppStream metadata")
set(TUBEFLIGHT_SCREENSHOT_URL "${TUBEFLIGHT_HOMEPAGE}/docs/flight.png")
# Files made from templates, all under one directory of the build tree.
set(staged ${CMAKE_CURRENT_BINARY_DIR}/installed)

# Manual page: one page for both executables; tubeflight-fs.6 points at it.
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.6.in ${staged}/man/tubeflight.6 @ONLY)
file(CREATE_LINK tubeflight.6 ${staged}/man/tubeflight-fs.6 SYMBOLIC)
install(FILES ${staged}/man/tubeflight.6 ${staged}/man/tubeflight-fs.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# Desktop entries and icons, named by the AppStream id.
foreach(name tubeflight tubeflight-fs)
  string(REPLACE tubeflight ${TUBEFLIGHT_APP_ID} entry ${name})
  configure_file(${PROJECT_SOURCE_DIR}/data/${name}.desktop.in ${staged}/applications/${entry}.desktop @ONLY)
  install(FILES ${staged}/applications/${entry}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endforeach()
foreach(size 48x48 128x128)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}/tubeflight.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
          RENAME ${TUBEFLIGHT_APP_ID}.png)
endforeach()

# AppStream metadata.
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.metainfo.xml.in
               ${staged}/metainfo/${TUBEFLIGHT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${staged}/metainfo/${TUBEFLIGHT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
