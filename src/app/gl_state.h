// SPDX-License-Identifier: MIT
#pragma once

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
constexpr int SCREEN_BPP = 32;

// Sets the viewport, the perspective projection and the pipeline state that
// stays fixed for the whole run: smooth shading, black clear, depth test
// with LEQUAL, colour material. Leaves the model-view matrix identity.
void init_gl_state();
