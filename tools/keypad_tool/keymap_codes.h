// Every code that the daemon, started on a layout, can send, and why: found by pressing each key
// that the daemon can tell apart, briefly and long, in every mode (key lock off and on, display
// lock and long-press-to-shutdown each off and on) through the replay engine, and noting what the
// daemon's own scanner and GPIO pass send. Only the reason given for a code is worked out here,
// from the press and the mode that sent it.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum SendReason {
    kSentAsKeyCode,
    kSentAsLongKeyCode,
    kSentForKeyLock,     // 744 in place of a key's own code
    kSentByLockedPanel,  // 116 from the one-key panel in key lock
    kSentForShutdown,    // 116 from a long press in key lock with long-press-to-shutdown on
    kSentWhileHeld,      // none of those: another group on the same channel, a code cut to 16 bits
};

constexpr int kGpioGroup = -1;

struct SendCause {
    SendReason reason;
    int group;      // ADC group, or kGpioGroup
    uint32_t keys;  // bit n: key n of the group
};

struct SentCode {
    uint32_t code;  // as the event carries it
    std::vector<SendCause> causes;
};

// Drives the daemon that ReplayBegin has just started on the layout; the codes in ascending order.
std::vector<SentCode> FindSentCodes();
// "KeyCode of ADC group 0 key 2; key lock: ADC group 0 keys 0-6".
std::string DescribeCauses(const SentCode& code);
