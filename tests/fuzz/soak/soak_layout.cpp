#include "soak_layout.h"

#include <stdio.h>

static constexpr uint32_t kPower = 116;
static constexpr uint32_t kKeyLock = 744;
static constexpr uint32_t kKeyMax = 767;

// A code not used yet.
static uint32_t FreshCode(Rng& rng, const SoakLayout& layout) {
    for (;;) {
        uint32_t code = 1 + rng.Below(kKeyMax);
        bool used = code == kPower || code == kKeyLock;
        for (int g = 0; g < 3; ++g) {
            for (int n = 0; n < layout.group[g].keys; ++n) {
                const SoakKey& key = layout.group[g].key[n];
                used = used || key.code == code || key.longCode == code;
            }
        }
        if (!used) return code;
    }
}

static void RandomLadder(Rng& rng, SoakLayout& layout, SoakGroup& group) {
    group.keys = 1 + static_cast<int>(rng.Below(8));
    // Windows 16 wide with at least one reading between them, all below the idle 0xff.
    const uint32_t least = 0x18 + (group.keys - 1) * 0x12;
    const uint32_t slack = 0xee - least;
    uint32_t threshold = 0x18 + rng.Below(slack / group.keys + 1);
    for (int n = 0; n < group.keys; ++n) {
        SoakKey& key = group.key[n];
        key.threshold = static_cast<uint8_t>(threshold);
        threshold += 0x12 + rng.Below(slack / group.keys + 1);
        key.code = FreshCode(rng, layout);
        if (rng.Percent(40)) {
            key.longCode = FreshCode(rng, layout);
            static const uint32_t kEdges[] = {0, 1, 39, 40, 41};
            key.duration = rng.Percent(10) ? kEdges[rng.Below(5)] : 50 + rng.Below(2500);
            key.repeat = rng.Percent(30);
        }
    }
}

SoakLayout RandomLayout(Rng& rng) {
    SoakLayout layout = {};
    layout.periodMs = 5 + rng.Below(21);
    layout.groups = 1 + static_cast<int>(rng.Below(3));
    for (int g = 0; g < layout.groups; ++g) {
        bool taken;
        do {
            layout.group[g].channel = static_cast<uint8_t>(rng.Below(8));
            taken = false;
            for (int h = 0; h < g; ++h)
                taken = taken || layout.group[h].channel == layout.group[g].channel;
        } while (taken);
        RandomLadder(rng, layout, layout.group[g]);
    }
    if (rng.Percent(30)) {
        SoakGroup& group = layout.group[rng.Below(layout.groups)];
        group.key[rng.Below(group.keys)].code = kPower;
    }
    return layout;
}

std::string LayoutXml(const SoakLayout& layout) {
    std::string xml = "<key_pad_xml>\n";
    char text[256];
    for (int g = 0; g < layout.groups; ++g) {
        const SoakGroup& group = layout.group[g];
        snprintf(text, sizeof text,
                 "  <adc_group%d>\n    <enable value=\"1\"/>\n    <channel_id value=\"%x\"/>\n"
                 "    <KeyLevelNum value=\"%x\"/>\n",
                 g, group.channel, group.keys);
        xml += text;
        for (int n = 0; n < group.keys; ++n) {
            const SoakKey& key = group.key[n];
            snprintf(text, sizeof text,
                     "    <key_pad KeyThreshold=\"0x%x\" KeyCode=\"0x%x\" LongKeyCode=\"0x%x\" "
                     "LongKeyDuration=\"%u\"%s/>\n",
                     key.threshold, key.code, key.longCode, key.duration,
                     key.repeat ? " Repeat=\"true\"" : "");
            xml += text;
        }
        snprintf(text, sizeof text, "  </adc_group%d>\n", g);
        xml += text;
    }
    return xml + "</key_pad_xml>\n";
}

int KeyOfReading(const SoakGroup& group, uint32_t reading) {
    for (int n = 0; n < group.keys; ++n) {
        const uint32_t t = group.key[n].threshold;
        if (reading <= t && reading + 16 >= t) return n;
        if (reading <= 5) return 0;
    }
    return -1;
}
