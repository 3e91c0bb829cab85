# SPDX-License-Identifier: MIT
# The browser build (configured with `emcmake cmake`): tubeflight-web, the
# flight's geometry, camera, drawing and start-up code with the browser shell
# of src/web, as a static site in <build>/site: index.html, tubeflight-web.js
# and tubeflight-web.wasm.

set(TUBEFLIGHT_SITE_DIR ${CMAKE_BINARY_DIR}/site)

add_executable(tubeflight-web
  src/web/main.cpp
  src/web/glu_matrices.cpp
  ${TUBEFLIGHT_SHARED_SOURCES})
target_include_directories(tubeflight-web PRIVATE src)
# WebAssembly has no fused multiply-add; contraction stays off all the same,
# as in the desktop build.
# -sUSE_SDL=1: Emscripten's own SDL 1.2. Newer Emscripten releases (3.1.69
# in Debian 13) find no <SDL.h> without it at compile time too.
target_compile_options(tubeflight-web PRIVATE -Wall -Wextra -Wpedantic -ffp-contract=off
  -sUSE_SDL=1)
# The drawing buffer is not kept after a frame is shown (no GL_TESTING):
# the browser test asks for a kept buffer from the page itself.
target_link_options(tubeflight-web PRIVATE
  -sUSE_SDL=1
  # SDL 1.2 and OpenGL 1.x immediate mode with GLU, emulated on WebGL.
  -sLEGACY_GL_EMULATION=1
  -sENVIRONMENT=web)
set_target_properties(tubeflight-web PROPERTIES
  SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${TUBEFLIGHT_SITE_DIR}
  # emcc's JavaScript optimiser needs Debian's acorn, which a Node.js not
  # from Debian does not look for.
  RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")

# The page is ours, not emcc's: copied as written.
add_custom_command(OUTPUT ${TUBEFLIGHT_SITE_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/src/web/index.html
          ${TUBEFLIGHT_SITE_DIR}/index.html
  DEPENDS ${PROJECT_SOURCE_DIR}/src/web/index.html
  VERBATIM)
add_custom_target(tubeflight-web-page ALL DEPENDS ${TUBEFLIGHT_SITE_DIR}/index.html)
