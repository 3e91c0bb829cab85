// SPDX-License-Identifier: MIT
#pragma once

// Counts the top-level windows that get mapped on an X display while it
// watches: a client of its own that listens to the root window's
// substructure, so that even a window shown for a moment is seen. (Xlib
// stays out of the tests' own translation units: its macros clash with
// theirs.)

#include <string>

namespace e2e {

class WindowMaps {
  public:
    // Starts watching `display` (":N"); everything mapped from the return on
    // is counted. Watches nothing if the display cannot be opened.
    explicit WindowMaps(const std::string& display);
    ~WindowMaps();
    WindowMaps(const WindowMaps&) = delete;
    WindowMaps& operator=(const WindowMaps&) = delete;

    bool watching() const { return display_ != nullptr; }
    // Top-level windows mapped since the start, once the server has handled
    // every request it has been sent so far.
    int mapped();

  private:
    void* display_; // the Xlib Display
    int mapped_ = 0;
};

} // namespace e2e
