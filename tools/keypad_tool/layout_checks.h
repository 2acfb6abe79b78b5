// Findings about what the daemon does with the layout it has read: keys it can never report,
// codes the virtual keyboard cannot send, settings that switch keys off, power keys that do not
// wake the set. Run after start-up on the layout (daemon_startup.h), on the daemon's records.
#pragma once

#include "finding.h"
#include "layout_elements.h"

void CheckLayout(const LayoutElements& elements, Findings& findings);
