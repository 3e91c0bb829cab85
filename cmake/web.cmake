# SPDX-License-Identifier: MIT
# The browser build (the preset web, with Emscripten): tubeflight-web, the
# flight's geometry, camera, drawing and start-up code with the browser shell
# of src/web, as a static site in <build>/site: index.html, page.js,
# messages.js, its texts' translations from po/ in messages/,
# tubeflight-web.js and tubeflight-web.wasm.

set(TUBEFLIGHT_SITE_DIR ${CMAKE_BINARY_DIR}/site)

add_executable(tubeflight-web
  src/web/main.cpp
  src/web/caption.cpp
  src/web/gl_layer.cpp
  src/web/gl_matrices.cpp
  ${TUBEFLIGHT_SHARED_SOURCES})
# The flight's OpenGL 1.x and GLU are the build's own (src/web/gl_layer.*):
# its GL/gl.h and GL/glu.h come before Emscripten's and declare only what
# the layer draws, so that any other call fails to compile.
target_include_directories(tubeflight-web BEFORE PRIVATE src/web/include)
target_include_directories(tubeflight-web PRIVATE src)
# WebAssembly has no fused multiply-add; contraction stays off all the same,
# as in the desktop build.
# -sUSE_SDL=1: Emscripten's own SDL 1.2. Newer Emscripten releases (3.1.69
# in Debian 13) find no <SDL.h> without it at compile time too.
target_compile_options(tubeflight-web PRIVATE -Wall -Wextra -Wpedantic -ffp-contract=off
  -sUSE_SDL=1)
# Emscripten's SDL 1.2 gives the video mode, its WebGL context, the
# keyboard, the events and the clock; gl_layer.js draws on that context.
# The flight reads and writes no files and allocates only at start-up, so
# it does without Emscripten's file system and with its smaller allocator;
# the layer uses no WebGL extension, so none is switched on for it. The
# drawing buffer is not kept after a frame is shown (no GL_TESTING): the
# browser test asks for a kept buffer from the page itself. The page's Module
# settings are listed, as newer Emscripten (6.0 in unstable) reads no
# others: without keyboardListeningElement, SDL would take every key of the
# document, and the page's End button would reach nothing. With the list,
# Debian 13's Emscripten drops noExitRuntime's default unless it is listed,
# and the runtime ends with main, after the first frame.
target_link_options(tubeflight-web PRIVATE
  -sUSE_SDL=1
  -sINCOMING_MODULE_JS_API=[canvas,keyboardListeningElement,arguments,print,printErr,onAbort,noExitRuntime]
  --js-library ${PROJECT_SOURCE_DIR}/src/web/gl_layer.js
  -sFILESYSTEM=0
  -sMALLOC=emmalloc
  -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0
  -sENVIRONMENT=web)
set_property(TARGET tubeflight-web APPEND PROPERTY LINK_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/web/gl_layer.js)
set_target_properties(tubeflight-web PROPERTIES
  SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${TUBEFLIGHT_SITE_DIR}
  # emcc's JavaScript optimiser needs Debian's acorn, which a Node.js not
  # from Debian does not look for.
  RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")

# The page is ours, not emcc's: src/web/index.html and page.js as they are,
# and its texts (messages.js) with their translations from po/ in messages/
# (cmake/web-page.cmake).
find_program(TUBEFLIGHT_MSGGREP msggrep REQUIRED)
find_program(TUBEFLIGHT_MSGATTRIB msgattrib REQUIRED)
find_program(TUBEFLIGHT_PO2JSON po2json PATHS /usr/share/nodejs/po2json/bin REQUIRED)
set(tubeflight_page ${TUBEFLIGHT_SITE_DIR}/index.html ${TUBEFLIGHT_SITE_DIR}/page.js)
add_custom_command(OUTPUT ${tubeflight_page}
  COMMAND ${CMAKE_COMMAND} -E copy src/web/index.html src/web/page.js ${TUBEFLIGHT_SITE_DIR}/
  DEPENDS src/web/index.html src/web/page.js
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  VERBATIM)
list(TRANSFORM TUBEFLIGHT_LANGUAGES PREPEND ${TUBEFLIGHT_SITE_DIR}/messages/ OUTPUT_VARIABLE tubeflight_page_catalogues)
list(TRANSFORM tubeflight_page_catalogues APPEND .json)
set(tubeflight_texts ${TUBEFLIGHT_SITE_DIR}/messages.js ${tubeflight_page_catalogues})
add_custom_command(OUTPUT ${tubeflight_texts}
  COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR} "-DLANGUAGES=${TUBEFLIGHT_LANGUAGES}"
          -D WORK_DIR=${CMAKE_BINARY_DIR}/page-catalogues -D SITE_DIR=${TUBEFLIGHT_SITE_DIR}
          -D MSGGREP=${TUBEFLIGHT_MSGGREP} -D MSGATTRIB=${TUBEFLIGHT_MSGATTRIB}
          -D PO2JSON=${TUBEFLIGHT_PO2JSON} -P ${PROJECT_SOURCE_DIR}/cmake/web-page.cmake
  DEPENDS src/web/messages.js cmake/web-page.cmake ${TUBEFLIGHT_CATALOGUES}
  VERBATIM)
add_custom_target(tubeflight-web-page ALL DEPENDS ${tubeflight_page} ${tubeflight_texts})
