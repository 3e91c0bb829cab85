# SPDX-License-Identifier: MIT
# Writes the site's texts (cmake -P, run by cmake/web.cmake's build). For
# each language of LANGUAGES (those of po/LINGUAS), messages/LL.json: the
# translations of the page's messages (those of src/web/messages.js) in
# po/LL.po, taken out by gettext's msggrep and msgattrib (translated and not
# fuzzy: the rest shows in English) and turned into JSON by po2json. Then
# messages.js: src/web/messages.js with `languageNames`, each language's
# name for itself (its translation of "English").
# cmake -D SOURCE_DIR=… -D LANGUAGES=… -D WORK_DIR=… -D SITE_DIR=…
#       -D MSGGREP=… -D MSGATTRIB=… -D PO2JSON=… -P web-page.cmake
file(MAKE_DIRECTORY ${WORK_DIR} ${SITE_DIR}/messages)
set(names "")
foreach(language IN LISTS LANGUAGES)
  execute_process(
    COMMAND ${MSGGREP} --force-po --location=src/web/messages.js ${SOURCE_DIR}/po/${language}.po
    COMMAND ${MSGATTRIB} --force-po --translated --no-fuzzy -o ${WORK_DIR}/${language}.po
    COMMAND_ERROR_IS_FATAL ANY)
  # Debian's po2json runs on Node.js, which finds Debian's modules only there.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs NODE_NO_WARNINGS=1
            ${PO2JSON} --format mf ${WORK_DIR}/${language}.po ${SITE_DIR}/messages/${language}.json
    COMMAND_ERROR_IS_FATAL ANY)
  file(READ ${SITE_DIR}/messages/${language}.json catalogue)
  string(JSON name ERROR_VARIABLE missing GET "${catalogue}" "English")
  if(missing)
    set(name ${language})
  endif()
  string(APPEND names "\"${language}\": \"${name}\", ")
endforeach()

file(READ ${SOURCE_DIR}/src/web/messages.js messages)
file(WRITE ${SITE_DIR}/messages.js "${messages}const languageNames = { ${names}};\n")
