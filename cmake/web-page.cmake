# SPDX-License-Identifier: MIT
# Writes the site's index.html (cmake -P, run by cmake/web.cmake's build):
# src/web/index.html with its texts put in place of the line that loads
# messages.js: src/web/messages.js itself, then `catalogues`, the
# translations of its messages in each language of po/LINGUAS, taken from
# po/LL.po by gettext's msggrep and msgattrib and turned into JSON by
# po2json. Untranslated and fuzzy messages stay out: the page shows them in
# English.
# cmake -D SOURCE_DIR=… -D WORK_DIR=… -D OUTPUT=… -D MSGGREP=… -D MSGATTRIB=…
#       -D PO2JSON=… -P web-page.cmake
file(STRINGS ${SOURCE_DIR}/po/LINGUAS languages REGEX "^[^#]")
file(MAKE_DIRECTORY ${WORK_DIR})
set(catalogues "")
foreach(language IN LISTS languages)
  execute_process(
    COMMAND ${MSGGREP} --force-po --location=src/web/messages.js ${SOURCE_DIR}/po/${language}.po
    COMMAND ${MSGATTRIB} --force-po --translated --no-fuzzy -o ${WORK_DIR}/${language}.po
    COMMAND_ERROR_IS_FATAL ANY)
  # Debian's po2json runs on Node.js, which finds Debian's modules only there.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs NODE_NO_WARNINGS=1
            ${PO2JSON} --format mf ${WORK_DIR}/${language}.po ${WORK_DIR}/${language}.json
    COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${WORK_DIR}/${language}.json catalogue)
  string(APPEND catalogues "\n  \"${language}\": ${catalogue},")
endforeach()

file(READ ${SOURCE_DIR}/src/web/messages.js messages)
file(READ ${SOURCE_DIR}/src/web/index.html page)
set(loader "<script src=\"messages.js\"></script>")
string(FIND "${page}" "${loader}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "src/web/index.html does not load messages.js")
endif()
string(REPLACE "${loader}" "<script>\n${messages}const catalogues = {${catalogues}\n};\n</script>"
  page "${page}")
file(WRITE ${OUTPUT} "${page}")
