# SPDX-License-Identifier: MIT
# The Windows deliverables, made by the target windows_packages (not part of
# the default build; scripts/cross-test windows builds it):
#   tubeflight-VERSION-windows-x86_64.zip  one folder, runnable wherever it
#                                          is unpacked
#   tubeflight-VERSION-setup.exe           its installer (makensis)
# Both hold the two executables, SDL.dll, the licences, SDL's source offer
# and a short README.txt (CRLF line ends, for Windows' Notepad).

set(TUBEFLIGHT_WINDOWS_PACKAGE tubeflight-${PROJECT_VERSION}-windows-x86_64)
set(TUBEFLIGHT_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/${TUBEFLIGHT_WINDOWS_PACKAGE}.zip)
set(TUBEFLIGHT_WINDOWS_INSTALLER ${CMAKE_BINARY_DIR}/tubeflight-${PROJECT_VERSION}-setup.exe)
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
configure_file(data/windows/README.txt.in ${texts}/README.txt @ONLY NEWLINE_STYLE WIN32)

# The packages' time: SOURCE_DATE_EPOCH when the builder sets it, else the
# release date, which debian/changelog carries too.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TUBEFLIGHT_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND date -u -d ${TUBEFLIGHT_RELEASE_DATE} +%s OUTPUT_VARIABLE TUBEFLIGHT_SOURCE_DATE_EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
find_program(TUBEFLIGHT_ZIP zip REQUIRED)
find_program(TUBEFLIGHT_MAKENSIS makensis REQUIRED)
add_custom_command(
  OUTPUT ${TUBEFLIGHT_WINDOWS_ZIP} ${TUBEFLIGHT_WINDOWS_INSTALLER}
  COMMAND ${CMAKE_COMMAND}
    -DSTAGE=${CMAKE_BINARY_DIR}/package/${TUBEFLIGHT_WINDOWS_PACKAGE}
    -DZIP=${TUBEFLIGHT_WINDOWS_ZIP} -DINSTALLER=${TUBEFLIGHT_WINDOWS_INSTALLER}
    -DVERSION=${PROJECT_VERSION} -DSTRIP=${CMAKE_STRIP} -DSOURCE_DATE_EPOCH=${TUBEFLIGHT_SOURCE_DATE_EPOCH}
    -DZIP_TOOL=${TUBEFLIGHT_ZIP} -DMAKENSIS=${TUBEFLIGHT_MAKENSIS}
    -DNSI=${PROJECT_SOURCE_DIR}/data/windows/tubeflight.nsi
    "-DEXECUTABLES=$<TARGET_FILE:tubeflight>;$<TARGET_FILE:tubeflight-fs>;${TUBEFLIGHT_WINDOWS_SDL_DLL}"
    "-DTEXTS=${texts}/README.txt;${texts}/LICENSE.txt;${texts}/SDL-LICENSE.txt;${texts}/SDL-SOURCE.txt"
    -P ${PROJECT_SOURCE_DIR}/cmake/windows-package.cmake
  DEPENDS tubeflight tubeflight-fs ${TUBEFLIGHT_WINDOWS_SDL_DLL} ${texts}/README.txt
          ${texts}/SDL-SOURCE.txt ${PROJECT_SOURCE_DIR}/data/windows/tubeflight.nsi
          ${PROJECT_SOURCE_DIR}/cmake/windows-package.cmake
  VERBATIM)
add_custom_target(windows_packages DEPENDS ${TUBEFLIGHT_WINDOWS_ZIP} ${TUBEFLIGHT_WINDOWS_INSTALLER})
unset(texts)
