#include "layout_report.h"

#include <tinyxml2.h>

#include <string>

#include "key_names.h"
#include "main/gpio_keys.h"
#include "main/tavrion_thread.h"
#include "reading_owners.h"
#include "replay_board.h"

static constexpr int kWindow = 16;
static constexpr int kRulerWidth = 16;

// A code as its field is written (hexadecimal in ADC groups, decimal in <gpio>) with its name.
static std::string Code(uint32_t code, bool hex) {
    char number[16];
    snprintf(number, sizeof number, hex ? "0x%x" : "%u", code);
    const char* name = KeyName(code);
    return std::string(number) + " " + (name ? name : "(no name)");
}

static void PrintHeading(FILE* out, const char* what, const GroupElements& e, bool enabled) {
    if (!e.group) {
        fprintf(out, "%s: not in the file (off)\n", what);
        return;
    }
    fprintf(out, "%s: <%s> at line %d, %s", what, e.group->Name(), e.group->GetLineNum(),
            enabled ? "enabled" : "disabled");
}

static void PrintRuler(FILE* out, int g) {
    int8_t owners[kReadings];
    ReadingOwners(g, owners);
    fprintf(out, "  the key each reading gives (-: none):\n");
    fprintf(out, "           0123456789abcdef\n");
    for (int row = 0; row < kReadings; row += kRulerWidth) {
        char cells[kRulerWidth + 1];
        for (int i = 0; i < kRulerWidth; ++i) {
            int owner = owners[row + i];
            cells[i] = owner < 0 ? '-' : static_cast<char>('0' + owner);
        }
        cells[kRulerWidth] = '\0';
        fprintf(out, "      0x%02x %s\n", row, cells);
    }
}

static void PrintAdcGroup(FILE* out, int g, const GroupElements& e) {
    const KeyArry& group = keyGroups[g];
    char what[16];
    snprintf(what, sizeof what, "ADC group %d", g);
    PrintHeading(out, what, e, group.enable != 0);
    if (!e.group) return;
    fprintf(out, ", channel %u, KeyLevelNum %u\n", group.channel_id, group.KeyLevelNum);
    // The slots the daemon matches, and any the file fills beyond them.
    int slots = group.KeyLevelNum <= kKeySlots ? group.KeyLevelNum : 0;
    for (int n = 0; n < kKeySlots; ++n) {
        if (e.keys[n] && n >= slots) slots = n + 1;
    }
    if (slots == 0) return;
    fprintf(out, "  %-3s %-4s %-10s %-24s %-24s %-15s %s\n", "key", "line", "readings", "KeyCode",
            "LongKeyCode", "LongKeyDuration", "Repeat");
    for (int n = 0; n < slots; ++n) {
        const int t = group.KeyThreshold[n];
        char line[16] = "-";
        if (e.keys[n]) snprintf(line, sizeof line, "%d", e.keys[n]->GetLineNum());
        char window[16] = "none";
        if (t >= kWindow) snprintf(window, sizeof window, "0x%02x-0x%02x", t - kWindow, t);
        char duration[16];
        snprintf(duration, sizeof duration, "%u ms", group.LongKeyDuration[n]);
        fprintf(out, "  %-3d %-4s %-10s %-24s %-24s %-15s %s\n", n, line, window,
                Code(group.KeyCode[n], true).c_str(),
                group.LongKeyCode[n] ? Code(group.LongKeyCode[n], true).c_str() : "0 (none)",
                duration, group.keyState[n].Repeat ? "yes" : "no");
    }
    if (group.enable != 0) PrintRuler(out, g);
}

static void PrintGpio(FILE* out, const GroupElements& e) {
    PrintHeading(out, "GPIO keys", e, gpioKeys.enable != 0);
    if (!e.group) return;
    fprintf(out, ", KeyLevelNum %u", gpioKeys.KeyLevelNum);
    if (gpioReady == 1) {
        fprintf(out, "; polled every %u ms, a key is down while its line is low", kGpioPassPauseMs);
    }
    fprintf(out, "\n");
    int slots = gpioKeys.KeyLevelNum < kKeySlots ? gpioKeys.KeyLevelNum : kKeySlots;
    if (slots == 0) return;
    fprintf(out, "  %-3s %-4s %-26s %s\n", "key", "line", "GPIO line (group*8+pin)", "KeyCode");
    for (int n = 0; n < slots; ++n) {
        char line[16] = "-";
        if (e.keys[n]) snprintf(line, sizeof line, "%d", e.keys[n]->GetLineNum());
        char gpioLine[32];
        snprintf(gpioLine, sizeof gpioLine, "%u (%u*8+%u)",
                 gpioKeys.GroupNum[n] * 8u + gpioKeys.PinNum[n], gpioKeys.GroupNum[n],
                 gpioKeys.PinNum[n]);
        fprintf(out, "  %-3d %-4s %-26s %s\n", n, line, gpioLine,
                Code(gpioKeys.KeyCode[n], false).c_str());
    }
}

// What start-up wrote into the (at first empty) wake-up condition and power-key record.
static void PrintWakeUp(FILE* out) {
    const HI_UNF_PMOC_WAKEUP_CONDITION_S& wake = BoardWakeCondition();
    const HI_UNF_PDM_LSADC_POWER_KEY_S& record = BoardPowerKeyRecord();
    bool any = false;
    for (int i = 0; i < 4; ++i) any = any || wake.keys[i].threshold != 0;
    if (!any) {
        fprintf(out, "Power-key wake-up: no power key, start-up programs nothing\n");
        return;
    }
    fprintf(out, "Power-key wake-up, as start-up programs it: LSADC channel mask 0x%08x\n",
            wake.channelMask);
    for (int i = 0; i < 4; ++i) {
        if (wake.keys[i].threshold == 0) continue;
        fprintf(out, "  power key %d: threshold 0x%02x, lower value 0x%02x (PMOC), %d (PDM)\n",
                i + 1, wake.keys[i].threshold, wake.keys[i].lowValue, record.keys[i].lowValue);
    }
}

void PrintLayout(FILE* out, const char* file, const LayoutElements& elements) {
    fprintf(out, "%s, as the daemon reads it\n\n", file);
    if (!elements.root) {
        fprintf(out, "No key: the daemon does not read this file.\n\n");
        return;
    }
    for (int g = 0; g < kAdcGroupCount; ++g) PrintAdcGroup(out, g, elements.adc[g]);
    PrintGpio(out, elements.gpio);
    fprintf(out, "\n");
    PrintWakeUp(out);
    fprintf(out, "\n");
}
