// Android 14's key layout labels and flags (data/keylayout-labels.txt, carried in the program):
// the only words a key layout file may give a key.
#pragma once

#include <string>

bool IsKeyLabel(const std::string& word);
bool IsKeyFlag(const std::string& word);
// The label that Android has for a kernel key name, "" when it has none: KEY_VOLUMEUP gives
// VOLUME_UP, KEY_TV gives TV, KEY_POWER2 gives "".
std::string LabelForKernelName(const char* name);
