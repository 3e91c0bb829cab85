// SPDX-License-Identifier: MIT
#pragma once

// Empties the SDL event queue. Every event is discarded; mouse input and
// window-close requests have no effect. A key-down of Escape raises
// `escape_seen` (which the drain never clears), so that a tap whose press
// and release both arrive between two frames still counts.
void drain_events(bool& escape_seen);
