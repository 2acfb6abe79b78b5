// Random streams of board readings for a soak layout: presses with contact bounce, releases,
// glitches, failed reads, keys held on two ladders at once, stalls of the worker, key-lock and
// property changes. Steps are in time order.
#pragma once

#include <vector>

#include "soak_layout.h"
#include "trace_line.h"

constexpr uint32_t kIdleReading = 0xff;

// idleOnly: the panel never leaves the idle reading (only stalls, key lock and properties).
std::vector<TraceStep> RandomTrace(Rng& rng, const SoakLayout& layout, bool idleOnly);
