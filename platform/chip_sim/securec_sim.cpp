// Bounded memory and string helpers. They never write past destMax; on a request that does not
// fit they leave a safe result (memory filled up to destMax, an empty string) and report it.
#include <errno.h>
#include <string.h>

#include "board_files.h"
#include "sdk/hi_sdk_api.h"

int memset_s(void* dest, size_t destMax, int c, size_t count) {
    int32_t code = 0;
    if (SimFailCode("memset_s", code)) {
        return code;
    }
    if (!dest || destMax == 0) {
        return EINVAL;
    }
    if (count > destMax) {
        memset(dest, c, destMax);
        return ERANGE;
    }
    memset(dest, c, count);
    return 0;
}

int strncpy_s(char* dest, size_t destMax, const char* src, size_t count) {
    int32_t code = 0;
    if (SimFailCode("strncpy_s", code)) {
        return code;
    }
    if (!dest || destMax == 0) {
        return EINVAL;
    }
    if (!src) {
        dest[0] = '\0';
        return EINVAL;
    }
    size_t length = strnlen(src, count);
    if (length >= destMax) {
        dest[0] = '\0';
        return ERANGE;
    }
    memcpy(dest, src, length);
    dest[length] = '\0';
    return 0;
}
