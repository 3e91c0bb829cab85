// SPDX-License-Identifier: MIT
// The browser build's OpenGL (GL/gl.h beside this header) has no extensions:
// this header stops a build that asks for them, which would otherwise find
// Emscripten's, and with it WebGL calls the layer knows nothing of.
#pragma once
#error "the browser build's OpenGL has no extensions (see GL/gl.h)"
