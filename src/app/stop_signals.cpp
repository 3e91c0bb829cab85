// SPDX-License-Identifier: MIT
#include "app/stop_signals.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t received_signal = 0;

extern "C" void on_stop_signal(int signal) {
    received_signal = signal;
}

} // namespace

void install_stop_signals() {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
        struct sigaction inherited {};
        sigaction(signal, nullptr, &inherited);
        if (inherited.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

int stop_signal() {
    return received_signal;
}

void reraise_stop_signal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // not reached: the default action ends the process
}
