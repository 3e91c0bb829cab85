// SPDX-License-Identifier: MIT
#include "window_maps.h"

#include <X11/Xlib.h>

namespace e2e {

struct WindowMaps::Connection {
    Display* display = nullptr;
};

WindowMaps::WindowMaps(const std::string& display) : connection_(new Connection) {
    connection_->display = XOpenDisplay(display.c_str());
    if (connection_->display != nullptr) {
        XSelectInput(connection_->display, DefaultRootWindow(connection_->display),
                     SubstructureNotifyMask);
        // The selection holds once the server has answered.
        XSync(connection_->display, False);
    }
}

WindowMaps::~WindowMaps() {
    if (connection_->display != nullptr) {
        XCloseDisplay(connection_->display);
    }
}

bool WindowMaps::watching() const {
    return connection_->display != nullptr;
}

int WindowMaps::mapped() {
    if (connection_->display == nullptr) {
        return 0;
    }
    XSync(connection_->display, False);
    XEvent event;
    while (XCheckTypedEvent(connection_->display, MapNotify, &event)) {
        ++mapped_;
    }
    return mapped_;
}

} // namespace e2e
