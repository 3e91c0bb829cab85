# SPDX-License-Identifier: MIT
# Installs the executables, the manual page, the desktop entries, the icons,
# the AppStream metadata and the package documentation, and describes the
# Debian package that `cpack -G DEB` builds from the same install rules.
#
# Layout: the executables go to games/ (/usr/games in the package), with
# their manual page in section 6 and the package in Debian's "games"
# section: that is where Debian puts games and demos (Debian Policy 11.11),
# and tubeflight is a demo to watch. Debian's default PATH for users
# includes /usr/games, so the desktop entries start the programs by name.

include(GNUInstallDirs)

set(TUBEFLIGHT_INSTALL_GAMESDIR games)
install(TARGETS tubeflight tubeflight-fs RUNTIME DESTINATION ${TUBEFLIGHT_INSTALL_GAMESDIR})
# A stripped install (cpack, `cmake --install --strip`) drops the compilers'
# .comment notes too, as a Debian package build does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(name tubeflight tubeflight-fs)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TUBEFLIGHT_INSTALL_GAMESDIR}/\${name}\"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"objcopy could not strip \${name}\")
      endif()
    endforeach()
  endif()")

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
set(TUBEFLIGHT_MAINTAINER "tubeflight maintainers <maintainers@users.noreply.c-seed-6176c425.example>"
    CACHE STRING "Maintainer line of the Debian package")

# The release date as the Debian changelog writes it, for example
# "Tue, 08 Dec 2026 00:00:00 +0000".
execute_process(COMMAND env LC_ALL=C date -u -R -d "${TUBEFLIGHT_RELEASE_DATE}"
                OUTPUT_VARIABLE TUBEFLIGHT_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "TUBEFLIGHT_RELEASE_DATE '${TUBEFLIGHT_RELEASE_DATE}' is not a date")
endif()

# Files made from templates and compressed for the package, all under one
# directory of the build tree.
set(staged ${CMAKE_CURRENT_BINARY_DIR}/installed)
find_program(GZIP gzip REQUIRED)
# gzip_9n(OUT FILE): FILE.gz, compressed as Debian wants manual pages and
# changelogs (best compression, no name or time stamp); the .gz file name
# is appended to OUT.
function(gzip_9n out file)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND ${GZIP} -9n --force --keep ${file}
                     DEPENDS ${file}
                     VERBATIM)
  set(${out} ${${out}} ${file}.gz PARENT_SCOPE)
endfunction()
set(compressed)

# Manual page: one page for both executables; tubeflight-fs.6.gz points at
# it.
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.6.in ${staged}/man/tubeflight.6 @ONLY)
gzip_9n(compressed ${staged}/man/tubeflight.6)
file(CREATE_LINK tubeflight.6.gz ${staged}/man/tubeflight-fs.6.gz SYMBOLIC)
install(FILES ${staged}/man/tubeflight.6.gz ${staged}/man/tubeflight-fs.6.gz
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

# Package documentation: the Debian changelog and the machine-readable
# copyright file, whose licence text is the LICENSE file's (Debian calls
# this licence "Expat", SPDX "MIT").
configure_file(${PROJECT_SOURCE_DIR}/data/debian-changelog.in ${staged}/doc/changelog @ONLY)
gzip_9n(compressed ${staged}/doc/changelog)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(FIND "${license}" "Permission is hereby granted" start)
string(SUBSTRING "${license}" ${start} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license " ${license}")
file(WRITE ${staged}/doc/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tubeflight
Upstream-Contact: ${TUBEFLIGHT_MAINTAINER}
Source: ${TUBEFLIGHT_HOMEPAGE}

Files: *
Copyright: 2026 the tubeflight authors
License: Expat

License: Expat
${license}
")
install(FILES ${staged}/doc/changelog.gz ${staged}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

add_custom_target(tubeflight_compressed_docs ALL DEPENDS ${compressed})

# Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tubeflight)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TUBEFLIGHT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fly-through of a colour-banded tube wound around a knot")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TUBEFLIGHT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION
    "A small real-time 3D demo: it opens a 640x480 OpenGL display through SDL 1.2
and flies the camera along the inside of a closed tube of 256 rings and 16
sides that winds around a knotted space curve, rolling once per lap, until
Escape is pressed.
.
The package holds two executables that differ only in their display mode:
tubeflight runs in a window and tubeflight-fs on the whole screen.
.
Warning: the flight flashes. High-contrast bands of black, white, blue and
yellow rush past fast over the whole picture, which flashes far more than 3
times a second. Do not watch it if you have photosensitive epilepsy or are
otherwise affected by flashing light. Escape ends the flight at any moment.")

# Written out rather than found by dpkg-shlibdeps, for two reasons:
#  - libSDL-1.2.so.0 comes either from classic SDL 1.2 (libsdl1.2debian) or
#    from the SDL 2 based compatibility library, whose package on the default
#    library path is libsdl1.2-compat-shim (libsdl1.2-compat alone keeps the
#    library in a private directory); dpkg-shlibdeps would name only the one
#    installed on the build machine;
#  - SDL opens libGL.so.1 (libgl1) at run time, which no ELF header shows.
# The rest is what dpkg-shlibdeps reports for the two executables; the package
# test checks that this list still covers it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 5.2), libsdl1.2-compat-shim | libsdl1.2debian (>= 1.2.15), libgl1, libopengl0, libglu1-mesa | libglu1")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)

include(CPack)
