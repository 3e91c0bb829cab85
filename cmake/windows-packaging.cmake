# SPDX-License-Identifier: MIT
# The Windows deliverables, made by CPack from the install rules below
# (`cpack` in the Windows build tree, or `cpack --preset windows`;
# scripts/cross-test windows runs it):
#   tubeflight-VERSION-windows-x86_64.zip  ZIP generator: one folder of that
#                                          name, runnable wherever it is
#                                          unpacked
#   tubeflight-VERSION-setup.exe           NSIS generator: its installer,
#                                          from data/windows/NSIS.template.in
# Both hold the two executables (stripped), SDL.dll (stripped), the
# licences, SDL's source offer and a short README.txt (CRLF line ends, for
# Windows' Notepad; the warning in every language of po/), all at the top
# of the package's folder. The installer speaks those languages too.

set(TUBEFLIGHT_WINDOWS_PACKAGE tubeflight-${PROJECT_VERSION}-windows-x86_64)
set(TUBEFLIGHT_WINDOWS_SETUP tubeflight-${PROJECT_VERSION}-setup)
# Where cpack puts them (the test of tests/windows takes them from there).
set(TUBEFLIGHT_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/${TUBEFLIGHT_WINDOWS_PACKAGE}.zip)
set(TUBEFLIGHT_WINDOWS_INSTALLER ${CMAKE_BINARY_DIR}/${TUBEFLIGHT_WINDOWS_SETUP}.exe)
set(texts ${CMAKE_BINARY_DIR}/package-texts)

configure_file(LICENSE ${texts}/LICENSE.txt @ONLY NEWLINE_STYLE WIN32)
configure_file(${TUBEFLIGHT_WINDOWS_SDL}/share/doc/SDL/COPYING ${texts}/SDL-LICENSE.txt @ONLY
               NEWLINE_STYLE WIN32)
file(STRINGS ${TUBEFLIGHT_WINDOWS_SDL}/share/doc/SDL/SOURCES TUBEFLIGHT_SDL_SOURCES)
list(JOIN TUBEFLIGHT_SDL_SOURCES "\n  " TUBEFLIGHT_SDL_SOURCES)
# Our own patches of SDL, as the build applied them, go into the offer whole.
set(sdl_doc ${TUBEFLIGHT_WINDOWS_SDL}/share/doc/SDL)
if(NOT EXISTS ${sdl_doc}/PATCHES)
  message(FATAL_ERROR "${sdl_doc}/PATCHES is missing: SDL for Windows was built by an older "
                      "scripts/fetch-windows-sdl; run it again")
endif()
file(STRINGS ${sdl_doc}/PATCHES patches)
set(TUBEFLIGHT_SDL_PATCH_LIST "")
set(TUBEFLIGHT_SDL_PATCHES "")
foreach(entry IN LISTS patches)
  string(REGEX REPLACE " .*" "" name "${entry}")
  file(READ ${sdl_doc}/patches/${name} text)
  string(APPEND TUBEFLIGHT_SDL_PATCH_LIST "\n  ${entry}")
  string(APPEND TUBEFLIGHT_SDL_PATCHES "\n${name}:\n\n${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sdl_doc}/patches/${name})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sdl_doc}/PATCHES)
unset(sdl_doc)
unset(patches)
unset(entry)
unset(name)
unset(text)
# Twice: NEWLINE_STYLE turns only the template's own line ends into CRLF,
# not those of the lists and patches put into it.
configure_file(data/windows/SDL-SOURCE.txt.in ${texts}/SDL-SOURCE.lf.txt @ONLY NEWLINE_STYLE UNIX)
configure_file(${texts}/SDL-SOURCE.lf.txt ${texts}/SDL-SOURCE.txt @ONLY NEWLINE_STYLE WIN32)
# README.txt: its warning in every language of po/ (cmake/windows-texts.cmake),
# in UTF-8 with a byte order mark (README.txt.in begins with it), which
# Notepad needs to tell UTF-8 from the system's code page before Windows 10.
# Twice, as SDL-SOURCE.txt, for the line ends of the warnings.
set(TUBEFLIGHT_WINDOWS_TEXTS ${texts})
include(cmake/windows-texts.cmake)
configure_file(data/windows/README.txt.in ${texts}/README.lf.txt @ONLY NEWLINE_STYLE UNIX)
configure_file(${texts}/README.lf.txt ${texts}/README.txt @ONLY NEWLINE_STYLE WIN32)

# Everything at the top of the package's folder.
install(TARGETS tubeflight tubeflight-fs RUNTIME DESTINATION .)
install(PROGRAMS ${TUBEFLIGHT_WINDOWS_SDL_DLL} DESTINATION .)
# CPack strips what install(TARGETS) installs (CPACK_STRIP_FILES); SDL.dll,
# built elsewhere, is stripped here in the same way. strip stamps a PE
# file's header with the time it runs, or with SOURCE_DATE_EPOCH, which
# cpack's environment has (data/windows/CPackOptions.cmake.in).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/SDL.dll\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${texts}/README.txt ${texts}/LICENSE.txt ${texts}/SDL-LICENSE.txt ${texts}/SDL-SOURCE.txt
        DESTINATION .)
unset(texts)

# The packages' time: SOURCE_DATE_EPOCH when the builder sets it (when
# configuring, or later when running cpack), else the release date, which
# debian/changelog carries too.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TUBEFLIGHT_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND date -u -d ${TUBEFLIGHT_RELEASE_DATE} +%s OUTPUT_VARIABLE TUBEFLIGHT_SOURCE_DATE_EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME tubeflight)
set(CPACK_PACKAGE_VENDOR "The tubeflight developers")
# The zip's name and its folder's; the installer's name is set for the NSIS
# generator in CPackOptions.cmake.in.
set(CPACK_PACKAGE_FILE_NAME ${TUBEFLIGHT_WINDOWS_PACKAGE})
# The installation folder's name and the "Apps" entry's key.
set(CPACK_PACKAGE_INSTALL_DIRECTORY tubeflight)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY tubeflight)
set(CPACK_NSIS_DISPLAY_NAME tubeflight)
set(CPACK_NSIS_PACKAGE_NAME "tubeflight ${PROJECT_VERSION}")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The packages land in the build tree's top, wherever cpack runs.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES TRUE)
configure_file(data/windows/CPackOptions.cmake.in ${CMAKE_BINARY_DIR}/CPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackOptions.cmake)
# The files' times and modes, and the installer's file lists, in an order
# of their own; the zip rewritten in that order (see both files for why).
configure_file(data/windows/CPackStage.cmake.in ${CMAKE_BINARY_DIR}/CPackStage.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/CPackStage.cmake)
find_program(TUBEFLIGHT_ZIP zip REQUIRED)
configure_file(data/windows/CPackZip.cmake.in ${CMAKE_BINARY_DIR}/CPackZip.cmake @ONLY)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/CPackZip.cmake)
# The installer's languages and texts (cmake/windows-texts.cmake), which
# NSIS.template.in includes.
set(CPACK_TUBEFLIGHT_TEXTS_NSH ${TUBEFLIGHT_WINDOWS_TEXTS_NSH})
# The installer's script: CPack looks for NSIS.template.in on the module
# path before its own.
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/data/windows)
include(CPack)
