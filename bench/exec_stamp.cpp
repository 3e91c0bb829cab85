// SPDX-License-Identifier: MIT
// tubeflight_exec_stamp [NAME=VALUE...] PROGRAM [ARGS...]: notes
// CLOCK_MONOTONIC in TUBEFLIGHT_EXEC_NS, sets the NAME=VALUE variables and
// replaces itself with PROGRAM, so that a start-up probe inside PROGRAM can
// measure from the moment of exec. Variables such as LD_PRELOAD go through
// here, not around, so that they apply to PROGRAM alone.
#include "monotonic_clock.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const std::int64_t exec_ns = monotonic_ns();
    int first = 1;
    for (; first < argc && std::strchr(argv[first], '=') != nullptr; ++first) {
        const std::string assignment = argv[first];
        const std::size_t equals = assignment.find('=');
        setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: tubeflight_exec_stamp [NAME=VALUE...] PROGRAM [ARGS...]\n");
        return 2;
    }
    setenv("TUBEFLIGHT_EXEC_NS", std::to_string(exec_ns).c_str(), 1);
    execvp(argv[first], argv + first);
    std::perror("tubeflight_exec_stamp: exec");
    return 127;
}
