# Installs the manual page, the desktop entries and the icons beside the two
# executables, and describes the Debian package that `cpack -G DEB` builds
# from the same install rules.

include(GNUInstallDirs)

# Manual page: one page for both executables; tubeflight-fs.6 points at it.
set(TUBEFLIGHT_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
configure_file(${PROJECT_SOURCE_DIR}/data/tubeflight.6.in ${TUBEFLIGHT_MAN_DIR}/tubeflight.6 @ONLY)
file(CREATE_LINK tubeflight.6 ${TUBEFLIGHT_MAN_DIR}/tubeflight-fs.6 SYMBOLIC)
install(FILES ${TUBEFLIGHT_MAN_DIR}/tubeflight.6 ${TUBEFLIGHT_MAN_DIR}/tubeflight-fs.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

install(FILES ${PROJECT_SOURCE_DIR}/data/tubeflight.desktop
              ${PROJECT_SOURCE_DIR}/data/tubeflight-fs.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size 48x48 128x128)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}/tubeflight.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()

# Debian package
set(TUBEFLIGHT_MAINTAINER "tubeflight maintainers <maintainers@users.noreply.c-seed-6176c425.example>"
    CACHE STRING "Maintainer line of the Debian package")

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
tubeflight runs in a window and tubeflight-fs on the whole screen.")

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
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 5), libsdl1.2-compat-shim | libsdl1.2debian (>= 1.2.15), libgl1, libopengl0, libglu1-mesa | libglu1")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)

include(CPack)
