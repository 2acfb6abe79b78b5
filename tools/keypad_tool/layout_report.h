// The layout as the daemon has read it, printed for people: each ADC group with its keys and the
// key that each reading gives, the GPIO keys, and the power-key wake-up that start-up programs.
// Run after start-up on the layout (daemon_startup.h).
#pragma once

#include <stdio.h>

#include "layout_elements.h"

void PrintLayout(FILE* out, const char* file, const LayoutElements& elements);
