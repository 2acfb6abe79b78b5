// keypad-tool ladder --svg: the ladder's worst-case ranges along the reading axis, each key with
// its nominal reading, its window as the layout has it and the proposed one, the rest reading,
// and in the error colour every reading of a range that its window loses or another key claims.
#pragma once

#include <stdint.h>

#include <string>

#include "ladder_analysis.h"

// codes: each slot's KeyCode, for the labels (0: none).
std::string DrawLadderPicture(const LadderAnalysis& analysis, const LadderLayout& layout,
                              const uint32_t codes[kKeySlots], const std::string& title);
