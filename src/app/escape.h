// SPDX-License-Identifier: MIT
#pragma once

// Whether the user has asked for the end with Escape since the previous
// call: Escape held down, or a key-down of Escape among the queued events,
// so that a tap whose press and release both arrive between two frames
// still counts. Empties the event queue on the way, discarding every other
// event (mouse input, window-close requests, other keys), then pumps the
// events that the next call's keyboard state reflects.
bool escape_requested();
