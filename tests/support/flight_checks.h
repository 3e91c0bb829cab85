// SPDX-License-Identifier: MIT
#pragma once

// Assertions shared by the end-to-end tests of a finished run.

#include "harness.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// The caption from the end of the first frame on.
constexpr const char* TITLE = "tubeflight - flying through the knot tube (Escape quits)";
// The probe's log of a start-up in a window and in full screen.
constexpr const char* STARTED_WINDOWED =
    "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0x40000003 ok\n";
constexpr const char* STARTED_FULLSCREEN =
    "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0xc0000003 ok\n";
// Start-up on llvmpipe takes well under a second; this is reached only when
// something is wrong (or the machine is very busy).
constexpr Millis START_TIMEOUT{20000};

// The swap log holds frames 1, 2, 3, ... in order, each flushed once before
// its swap, and every frame started a full frame period after the previous
// one ended (see the definition).
void expect_paced(const std::vector<SwapRecord>& swaps);

// The flight holds the 16 ms floor itself: at least a tenth of the frames
// start 16 ms after the one before (see the definition).
void expect_floor_held(const std::vector<SwapRecord>& swaps);

// A busy host slows the flight for a spell: while the last `frames` frames
// miss the floor, watches as many more, up to `rounds` stretches in all.
// Returns where the last stretch starts in the swap log.
std::size_t watch_until_floor_held(const Session& session, std::size_t frames, int rounds,
                                   Millis timeout);

// Waits until the probe has logged at least `count` swaps.
bool wait_for_frames(const Session& session, std::size_t count, Millis timeout);
std::size_t swaps_logged(const Session& session);
// Starts `exe` with the probe and `env` (start_program's `args` and
// `ignored` signals), and waits until it has swapped `frames` frames.
testing::AssertionResult start_flying(Session& session, const std::string& exe, const Env& env,
                                      std::size_t frames, const std::vector<std::string>& args = {},
                                      const std::vector<int>& ignored = {});

// The window is the display's size and the pointer sits at its centre.
void expect_display_window_with_centred_pointer(const Session& session, WindowId window);

// Escape held down ends the flight with status 0, SDL shut down once, and
// every frame paced.
void expect_escape_ends_flight(Session& session);

// The lines of the probe's calls log whose first word is one of `names`.
std::string sdl_calls(const Session& session, const std::vector<std::string>& names);
// How many times SDL_Quit ran.
int sdl_quit_calls(const Session& session);

// Flies `exe` unpaced (the probe's fast clock) until the last of `frames`,
// capturing those frames, and returns them by frame number. The probe ends
// the run with SIGTERM after the last one; `extra` adds to the environment.
std::map<long, Image> fly_and_capture(Session& session, const std::string& exe,
                                      const std::vector<long>& frames, const Env& extra = {});

// The two SDL 1.2 implementations the program must run on.
enum class Sdl { compat, classic };
// Its name, usable in a test's name: "sdl12_compat" or "classic_sdl".
void PrintTo(Sdl sdl, std::ostream* out);
// What to add to the environment to run on `sdl`.
Env sdl_env(Sdl sdl);
// Skips the test when it is to run on classic SDL and that is not unpacked in
// the build tree; a test body that calls it returns when IsSkipped().
void skip_unless_present(Sdl sdl);
// A test on one of the two SDLs, skipped as above.
class OnSdl : public testing::TestWithParam<Sdl> {
  protected:
    void SetUp() override { skip_unless_present(GetParam()); }
};
// An OnSdl test's parameters.
inline const auto BOTH_SDLS = testing::Values(Sdl::compat, Sdl::classic);
// The running program has `sdl` loaded, and not the other one.
void expect_runs_on(const Session& session, Sdl sdl);

} // namespace e2e
