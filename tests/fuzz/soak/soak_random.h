// The soak's own generator (splitmix64): the same seed gives the same runs on every build.
#pragma once

#include <stdint.h>

struct Rng {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1 (n > 0).
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    bool Percent(uint32_t p) { return Below(100) < p; }
};
