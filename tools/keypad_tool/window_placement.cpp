#include "window_placement.h"

#include <algorithm>

bool PlaceWindows(std::vector<WindowItem>& items, std::vector<std::pair<int, int>>& conflicts) {
    conflicts.clear();
    std::stable_sort(items.begin(), items.end(), [](const WindowItem& a, const WindowItem& b) {
        return a.preferred < b.preferred;
    });
    const int n = static_cast<int>(items.size());
    // The earliest and the latest threshold of each item that leave room for all the others:
    // item i's window must begin above item i - 1's threshold.
    std::vector<int> earliest(n), latest(n);
    for (int i = 0; i < n; ++i) {
        earliest[i] = items[i].lowest;
        if (i > 0) earliest[i] = std::max(earliest[i], earliest[i - 1] + items[i].width + 1);
    }
    for (int i = n - 1; i >= 0; --i) {
        latest[i] = items[i].highest;
        if (i < n - 1) latest[i] = std::min(latest[i], latest[i + 1] - items[i + 1].width - 1);
    }
    bool fits = true;
    for (int i = 0; i < n; ++i) {
        if (items[i].lowest > items[i].highest) conflicts.push_back({i, i});
        if (i > 0 && items[i - 1].lowest + items[i].width + 1 > items[i].highest &&
            items[i - 1].lowest <= items[i - 1].highest && items[i].lowest <= items[i].highest) {
            conflicts.push_back({i - 1, i});
        }
        fits = fits && earliest[i] <= latest[i];
    }
    // Three or more items squeezed together, no two of which clash on their own.
    for (int i = 1; !fits && conflicts.empty() && i < n; ++i) {
        if (earliest[i] > latest[i]) conflicts.push_back({i - 1, i});
    }
    int previous = -(1 << 20);
    for (int i = 0; i < n; ++i) {
        const int low = std::max(earliest[i], previous + items[i].width + 1);
        int t = std::max(std::min(items[i].preferred, latest[i]), low);
        items[i].threshold = t;
        previous = t;
    }
    return fits;
}
