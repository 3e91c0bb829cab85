// SPDX-License-Identifier: MIT
#include "window_maps.h"

#include <X11/Xlib.h>

namespace e2e {

WindowMaps::WindowMaps(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (auto* x = static_cast<Display*>(display_)) {
        XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
        XSync(x, False); // the selection holds once the server has answered
    }
}

WindowMaps::~WindowMaps() {
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}

int WindowMaps::mapped() {
    if (auto* x = static_cast<Display*>(display_)) {
        XSync(x, False);
        for (XEvent event; XCheckTypedEvent(x, MapNotify, &event);) {
            ++mapped_;
        }
    }
    return mapped_;
}

} // namespace e2e
