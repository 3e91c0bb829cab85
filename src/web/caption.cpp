// SPDX-License-Identifier: MIT
// SDL_WM_SetCaption for the browser build, in place of Emscripten's SDL's:
// the flight sets its caption at every frame, and Emscripten's SDL decodes
// the string and sets the page's title every time, which costs as much of
// the frame callback as drawing the tube does. This one sets the title only
// when the caption changes. The icon title has no place on a page.
#include <SDL.h>

#include <emscripten.h>

#include <cstring>

namespace {

EM_JS(void, set_page_title, (const char* title, int length),
      { document.title = new TextDecoder().decode(HEAPU8.subarray(title, title + length)); });

// The caption last set; a longer one is set every time.
char shown[128];

} // namespace

extern "C" void SDL_WM_SetCaption(const char* title, const char*) {
    if (title == nullptr) {
        return;
    }
    const std::size_t length = std::strlen(title);
    if (length < sizeof shown) {
        if (std::strcmp(shown, title) == 0 && shown[0] != '\0') {
            return;
        }
        std::memcpy(shown, title, length + 1);
    }
    set_page_title(title, static_cast<int>(length));
}
