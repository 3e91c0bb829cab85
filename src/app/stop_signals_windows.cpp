// SPDX-License-Identifier: MIT
// Windows has no POSIX stop signals. Both executables are GUI programs and
// have no console, so a console's Ctrl-C, Ctrl-Break or close never reaches
// them. What does is the end of the user's session (log-off, shut-down,
// restart): it ends the flight with the display restored and the exit
// status STATUS_CONTROL_C_EXIT (0xC000013A), the one Windows gives a
// program that was stopped from outside.
#include "app/stop_signals.h"

#include <SDL.h>
#include <windows.h>

namespace {

// The messages of a hidden window, which the frame loop's event pump
// dispatches with SDL's own. Once WM_ENDSESSION returns, Windows may end the
// process at any moment, so the flight ends right there, in the pump at the
// bottom of the frame: the frame has been presented. The loop itself never
// sees a stop request.
LRESULT CALLBACK on_session_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ENDSESSION && wparam != FALSE) {
        SDL_Quit();
        reraise_stop_signal(0);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

void install_stop_signals() {
    WNDCLASSW session_class{};
    session_class.lpfnWndProc = on_session_message;
    session_class.hInstance = GetModuleHandleW(nullptr);
    session_class.lpszClassName = L"tubeflight session";
    if (RegisterClassW(&session_class) != 0) {
        // A top-level window, never shown: message-only windows are not
        // told of the session's end.
        CreateWindowExW(0, session_class.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                        session_class.hInstance, nullptr);
    }
}

int stop_signal() {
    return 0;
}

void reraise_stop_signal(int) {
    ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}
