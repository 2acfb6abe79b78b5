// Bionic's <sys/system_properties.h>, which AOSP's <cutils/properties.h> includes for these two
// sizes and which no Debian package carries. Only what that header needs: anything more here could
// let the daemon compile against a call that the set's C library does not have.
#pragma once
#define PROP_NAME_MAX 32
#define PROP_VALUE_MAX 92
