// Off-device stand-in for Android system properties, read from the simulated board's props file.
#pragma once

#define PROPERTY_KEY_MAX 32
#define PROPERTY_VALUE_MAX 92

#ifdef __cplusplus
extern "C" {
#endif

// Copies the property's value (or the default when it is not set) into value, which holds
// PROPERTY_VALUE_MAX bytes; returns the length of what was copied.
int property_get(const char* key, char* value, const char* default_value);

#ifdef __cplusplus
}
#endif
