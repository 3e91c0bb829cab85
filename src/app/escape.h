// SPDX-License-Identifier: MIT
#pragma once

// Escape, the one key the flight answers to, is seen in two ways at the end
// of a frame: held down in the keyboard state, or as a key-down among the
// queued events, so that a tap whose press and release both arrive between
// two frames still counts.

// True while the keyboard state shows Escape down.
bool escape_held();

// Empties the SDL event queue. Every event is discarded; mouse input, other
// keys and window-close requests have no effect. A key-down of Escape raises
// `escape_seen`, which the drain never clears.
void drain_events(bool& escape_seen);
