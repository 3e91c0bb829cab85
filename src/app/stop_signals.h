// SPDX-License-Identifier: MIT
#pragma once

// SIGHUP, SIGINT and SIGTERM (on Windows, the end of the user's session:
// stop_signals_windows.cpp) end the flight at the bottom of the current
// frame, so that SDL is shut down (and a full-screen mode restored) before
// the process ends by the signal. Install before SDL_Init: SDL leaves a
// handler that is already set alone instead of turning the signal into a
// quit event. A signal that the parent set to be ignored stays ignored, as
// SDL itself does: a background job must not be reached by the terminal's
// Ctrl-C.
void install_stop_signals();

// The signal that asked the flight to stop, or 0.
int stop_signal();

// Ends the process by `signal` with its default action, as if the handler
// had never been installed, so that the parent sees how it ended.
[[noreturn]] void reraise_stop_signal(int signal);
