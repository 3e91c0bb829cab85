// SPDX-License-Identifier: MIT
// Entry point of the browser build. Start-up and every frame are the
// desktop flight's (app/shared_steps.h); only the busy-wait loop is
// replaced, by the browser's frame callback, which draws at most one frame
// per display refresh, on the 16 ms schedule of web/frame_schedule.h. Each
// frame still advances the flight by one step, so the N-th frame drawn is
// the desktop program's N-th frame.
//
// The page loads the program only once the flight is asked for (its "Start
// flight" button, or a still link): start-up, which makes the WebGL context
// and the tube, is the program's first step, and it draws from the first
// browser frame on.
//
// argv[1], when given, is a still: the frame to show, alone. The frames
// before it are stepped through without drawing; the flight stops after it
// and leaves it on the canvas.
//
// The page is told of every frame drawn and of the end through
// Module.flightFrame(frame) and Module.flightEnded(frame, by_escape), and
// of a failed start-up through Module.flightFailed(). While the browser has
// taken the WebGL context away, the flight waits, neither stepping nor
// drawing; when the context is given back, the GL layer (gl_layer.js) has
// built its shader and buffer again and the flight goes on with the next
// frame. The page hears of both from the canvas itself.
#include "app/shared_steps.h"
#include "app/video_flags.h"
#include "web/frame_schedule.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>

namespace {

struct BrowserLoop {
    long frames_drawn = 0;
    long last_frame = 0;  // 0: fly until Escape
    double frame_due = 0; // browser frame clock, ms
    bool quit = false;
};
BrowserLoop loop;

// The page's hooks, each optional.
EM_JS(void, tell_page_of_frame, (long frame), {
    if (Module.flightFrame)
        Module.flightFrame(frame);
});
EM_JS(void, tell_page_of_end, (long frame, int by_escape), {
    if (Module.flightEnded)
        Module.flightEnded(frame, by_escape);
});
// The time of the browser frame being drawn, in milliseconds since the page
// was opened: the timestamp that the browser gives every frame callback of
// one display refresh. The moment a callback happens to run wanders by a few
// milliseconds from one refresh to the next, and would leave refreshes out.
EM_JS(double, browser_frame_time_ms, (), {
    const time = document.timeline ? document.timeline.currentTime : null;
    return time == null ? performance.now() : time;
});
// Emscripten's SDL sets a video mode even where the browser gives no WebGL
// context, and the first GL call then fails: this is asked before start-up.
EM_JS(int, browser_offers_webgl, (),
      { return document.createElement('canvas').getContext('webgl') ? 1 : 0; });
EM_JS(void, tell_page_of_failure, (), {
    if (Module.flightFailed)
        Module.flightFailed();
});

bool display_lost() {
    return emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()) != 0;
}

// Skips the frames before the still without drawing them. A frame depends
// on nothing but the camera's path step, and each frame is cleared before
// it is drawn: the still drawn next is the N-th frame of the flight, and no
// frame before it is shown.
void step_to_still() {
    skip_to_frame(loop.last_frame);
    loop.frames_drawn = loop.last_frame - 1;
}

void browser_frame() {
    if (display_lost()) {
        return; // frames drawn now would go nowhere: wait for the display
    }
    const bool first = loop.frames_drawn == 0;
    if (first && loop.last_frame > 0) {
        step_to_still();
    }
    const double now = browser_frame_time_ms();
    if (first) {
        loop.frame_due = now;
    }
    if (now < loop.frame_due) {
        return; // too early: this refresh shows the last frame again
    }
    loop.frame_due = next_frame_due(loop.frame_due, now);
    fly_frame();
    // The browser presents the frame when this callback returns.
    SDL_GL_SwapBuffers();
    ++loop.frames_drawn;
    tell_page_of_frame(loop.frames_drawn);

    finish_frame(loop.quit);
    if (loop.quit || loop.frames_drawn == loop.last_frame) {
        // Nothing is drawn any more, so the canvas keeps the last frame.
        // SDL is left as it is: shutting it down would not clear the canvas
        // and the browser's SDL does nothing on SDL_Quit.
        emscripten_cancel_main_loop();
        tell_page_of_end(loop.frames_drawn, loop.quit ? 1 : 0);
    }
}

long last_frame_argument(int argc, char** argv) {
    if (argc < 2) {
        return 0;
    }
    char* end = nullptr;
    const long frame = std::strtol(argv[1], &end, 10);
    return *end == '\0' && frame > 0 ? frame : 0;
}

} // namespace

int main(int argc, char** argv) {
    loop.last_frame = last_frame_argument(argc, argv);
    if (browser_offers_webgl() == 0 || !start_flight(WINDOWED_VIDEO_FLAGS)) {
        tell_page_of_failure();
        return 1;
    }
    // Rate 0: called from requestAnimationFrame. Never returns.
    emscripten_set_main_loop(browser_frame, 0, 1);
    return 0;
}
