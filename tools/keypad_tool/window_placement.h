// Places the 16-count reading windows of a ladder's keys so that each key's readings sit as near
// the middle of its window as the neighbours allow, no two windows overlap, and the panel's rest
// reading lies in none.
#pragma once

#include <stdint.h>

#include <vector>

// Something that occupies the readings from threshold - width up to threshold.
struct WindowItem {
    int key;     // slot; kRestItem for the panel's rest reading
    int width;   // 16 for a key's window
    int lowest;  // the thresholds allowed, inclusive
    int highest;
    int preferred;  // the threshold that centres the readings
    int threshold;  // the result
};

constexpr int kRestItem = -1;

// Sets every item's threshold (sorting the items by preferred threshold). True when all fit;
// otherwise conflicts receives pairs of item indexes (after sorting) that cannot both fit, an
// item paired with itself when it cannot fit on its own.
bool PlaceWindows(std::vector<WindowItem>& items, std::vector<std::pair<int, int>>& conflicts);
