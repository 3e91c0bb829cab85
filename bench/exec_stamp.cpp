// tubeflight_exec_stamp PROGRAM [ARGS...]: notes CLOCK_MONOTONIC in
// TUBEFLIGHT_EXEC_NS and replaces itself with PROGRAM, so that a start-up
// probe inside PROGRAM can measure from the moment of exec.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tubeflight_exec_stamp PROGRAM [ARGS...]\n");
        return 2;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    setenv("TUBEFLIGHT_EXEC_NS", std::to_string(ns).c_str(), 1);
    execvp(argv[1], argv + 1);
    std::perror("tubeflight_exec_stamp: exec");
    return 127;
}
