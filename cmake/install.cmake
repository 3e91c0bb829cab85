# SPDX-License-Identifier: MIT
# Installs the executables, the manual page, the desktop entries, the icons
# and the AppStream metadata, the texts in every language of po/
# (cmake/translations.cmake). The Debian package (debian/) is built by
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
file(MAKE_DIRECTORY ${staged}/applications ${staged}/metainfo)

# Manual page: one page for both executables; tubeflight-fs.6 points at it.
# Each language of po/ has its own, translated by po4a (po/po4a.cfg) as far
# as its catalogue goes (the NAME, SYNOPSIS and WARNING sections; the rest
# stays in English), in man's folder for that language.
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.6.in ${staged}/man/tubeflight.6 @ONLY)
file(CREATE_LINK tubeflight.6 ${staged}/man/tubeflight-fs.6 SYMBOLIC)
install(FILES ${staged}/man/tubeflight.6 ${staged}/man/tubeflight-fs.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
set(translated)
foreach(language ${TUBEFLIGHT_LANGUAGES})
  set(page ${staged}/man/${language}/tubeflight.6)
  file(MAKE_DIRECTORY ${staged}/man/${language})
  file(CREATE_LINK tubeflight.6 ${staged}/man/${language}/tubeflight-fs.6 SYMBOLIC)
  install(FILES ${page} ${staged}/man/${language}/tubeflight-fs.6
          DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man6)
  list(APPEND translated ${page})
endforeach()
# po4a leaves a page that would not change as it is: touched, so that the
# build sees it made.
list(JOIN TUBEFLIGHT_LANGUAGES " " languages)
add_custom_command(OUTPUT ${translated}
  COMMAND po4a --no-update --variable "languages=${languages}" --variable catalogues=${TUBEFLIGHT_PO_DIR}
          --variable pot=${TUBEFLIGHT_PO_DIR}/tubeflight.pot --variable master=${staged}/man/tubeflight.6
          --variable pages=${staged}/man ${TUBEFLIGHT_PO_DIR}/po4a.cfg
  COMMAND ${CMAKE_COMMAND} -E touch ${translated}
  DEPENDS ${staged}/man/tubeflight.6 ${TUBEFLIGHT_PO_DIR}/po4a.cfg ${TUBEFLIGHT_PO_DIR}/LINGUAS
          ${TUBEFLIGHT_CATALOGUES}
  VERBATIM)

# Desktop entries and icons, named by the AppStream id. The entries get
# their texts in every language of po/ from msgfmt.
foreach(name tubeflight tubeflight-fs)
  string(REPLACE tubeflight ${TUBEFLIGHT_APP_ID} entry ${name})
  configure_file(${PROJECT_SOURCE_DIR}/data/${name}.desktop.in ${staged}/templates/${entry}.desktop @ONLY)
  add_custom_command(OUTPUT ${staged}/applications/${entry}.desktop
    COMMAND msgfmt --desktop --template=${staged}/templates/${entry}.desktop -d ${TUBEFLIGHT_PO_DIR}
            -o ${staged}/applications/${entry}.desktop
    DEPENDS ${staged}/templates/${entry}.desktop ${TUBEFLIGHT_PO_DIR}/LINGUAS ${TUBEFLIGHT_CATALOGUES}
    VERBATIM)
  install(FILES ${staged}/applications/${entry}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  list(APPEND translated ${staged}/applications/${entry}.desktop)
endforeach()
foreach(size 48x48 128x128)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}/tubeflight.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
          RENAME ${TUBEFLIGHT_APP_ID}.png)
endforeach()

# AppStream metadata, its texts in every language of po/ merged in by
# msgfmt with AppStream's own translation rules (its metainfo.its).
set(metainfo ${TUBEFLIGHT_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.metainfo.xml.in ${staged}/templates/${metainfo} @ONLY)
add_custom_command(OUTPUT ${staged}/metainfo/${metainfo}
  COMMAND msgfmt --xml --template=${staged}/templates/${metainfo} -d ${TUBEFLIGHT_PO_DIR}
          -o ${staged}/metainfo/${metainfo}
  DEPENDS ${staged}/templates/${metainfo} ${TUBEFLIGHT_PO_DIR}/LINGUAS ${TUBEFLIGHT_CATALOGUES}
  VERBATIM)
install(FILES ${staged}/metainfo/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
list(APPEND translated ${staged}/metainfo/${metainfo})

add_custom_target(translated-data ALL DEPENDS ${translated})
