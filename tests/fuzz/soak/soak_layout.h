// Random front-panel layouts for the scanner soak: valid ones, whose every key can be told
// apart by its reading and by its codes.
#pragma once

#include <stdint.h>

#include <string>

#include "soak_random.h"

struct SoakKey {
    uint8_t threshold;  // readings threshold - 16 .. threshold give the key
    uint32_t code;
    uint32_t longCode;  // 0: an immediate key
    uint32_t duration;  // ms, for a long-press key
    bool repeat;
};

struct SoakGroup {
    uint8_t channel;
    int keys;
    SoakKey key[8];
};

struct SoakLayout {
    int groups;  // ADC groups in use
    SoakGroup group[3];
    uint32_t periodMs;  // the LSADC conversion period
};

SoakLayout RandomLayout(Rng& rng);
std::string LayoutXml(const SoakLayout& layout);
// The slot of group g that the reading gives, or -1 (the daemon's windows: the first key whose
// window holds the reading, readings 0 to 5 always key 0).
int KeyOfReading(const SoakGroup& group, uint32_t reading);
