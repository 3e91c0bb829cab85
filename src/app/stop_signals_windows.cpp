// SPDX-License-Identifier: MIT
// The stop requests of Windows, which has no POSIX signals: a console's
// Ctrl-C, Ctrl-Break and close button, and the end of the user's session
// (log-off, shut-down, restart). Each ends the flight with the display
// restored and the exit status STATUS_CONTROL_C_EXIT (0xC000013A), the one
// Windows gives a program that its console or session stopped.
#include "app/stop_signals.h"

#include <SDL.h>
#include <windows.h>

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace {

// Set from the console's handler thread, read by the frame loop.
std::atomic<int> received_signal{0};

int signal_of(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default: // the console closed, the session ends
        return SIGTERM;
    }
}

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI on_console_event(DWORD event) {
    received_signal = signal_of(event);
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        // Windows ends the process as soon as this returns: the frame loop
        // ends it instead, at the bottom of the frame, which is well within
        // the seconds Windows waits.
        Sleep(INFINITE);
    }
    return TRUE;
}

// Extern "C" for the CRT's signal table.
extern "C" void on_stop_signal(int signal) {
    received_signal = signal;
}

// The hidden window that hears of the session's end. The frame loop's event
// pump dispatches its messages with SDL's own. Once WM_ENDSESSION returns,
// Windows may end the process at any moment, so the flight ends right there,
// in the pump of the frame's last step: the frame has been presented.
LRESULT CALLBACK on_session_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ENDSESSION && wparam != FALSE) {
        received_signal = SIGTERM;
        SDL_Quit();
        reraise_stop_signal(SIGTERM);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void watch_session_end() {
    WNDCLASSW session_class{};
    session_class.lpfnWndProc = on_session_message;
    session_class.hInstance = GetModuleHandleW(nullptr);
    session_class.lpszClassName = L"tubeflight session";
    if (RegisterClassW(&session_class) != 0) {
        // A top-level window, never shown: message-only windows hear no
        // session messages.
        CreateWindowExW(0, session_class.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                        nullptr, session_class.hInstance, nullptr);
    }
}

} // namespace

void install_stop_signals() {
    // SDL turns SIGINT and SIGTERM into its quit event, which the flight
    // ignores, unless a handler is set already. Setting SIGINT also makes
    // the C runtime register its console handler now, before the one
    // below, which Windows then asks first.
    for (const int signal : {SIGINT, SIGBREAK, SIGTERM}) {
        std::signal(signal, on_stop_signal);
    }
    SetConsoleCtrlHandler(on_console_event, TRUE);
    watch_session_end();
}

int stop_signal() {
    return received_signal;
}

void reraise_stop_signal(int) {
    ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}
