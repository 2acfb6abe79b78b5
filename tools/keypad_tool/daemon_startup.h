// The daemon's start-up on the in-memory board, as far as it concerns the key layout: the layout
// read into the key records, the LSADC controller set up, the power-key wake-up programmed and
// the GPIO keys set up, by the daemon's own functions and in its own order.
#pragma once

#include <string>

// Puts the daemon's globals back to how the process starts (so that one process can run many
// sessions), resets the board, the clock (time 0) and the keyboard (no sink), then starts up on the
// layout whose bytes are text (as read once by LoadLayoutFile): the daemon's own reader loads them
// through the board's customisation lookup. 0 when the layout was read, -1 when the daemon could
// not load it (every record then stays off, as on the set).
int StartDaemonOnLayout(const std::string& text);
