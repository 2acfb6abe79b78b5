// GPIO lines of the simulated board: gpio/<group*8+pin> holds "0" or "1"; a line without a file
// is pulled up (1), which is a released key.
#include <string>
#include <vector>

#include "board_files.h"
#include "sdk/hi_sdk_api.h"

HI_S32 HI_UNF_GPIO_Init(HI_VOID) {
    int32_t code = 0;
    return SimFailCode("HI_UNF_GPIO_Init", code) ? code : HI_SUCCESS;
}

HI_S32 HI_UNF_GPIO_DeInit(HI_VOID) {
    int32_t code = 0;
    return SimFailCode("HI_UNF_GPIO_DeInit", code) ? code : HI_SUCCESS;
}

HI_S32 HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL input) {
    (void)gpioNo;
    (void)input;
    int32_t code = 0;
    return SimFailCode("HI_UNF_GPIO_SetDirBit", code) ? code : HI_SUCCESS;
}

HI_S32 HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_GPIO_ReadBit", code)) {
        return code;
    }
    if (!level) {
        return kSimBadArgument;
    }
    std::vector<uint8_t> bytes;
    uint32_t value = 1;
    if (SimReadFile("gpio/" + std::to_string(gpioNo), bytes) &&
        !SimParseNumber(std::string(bytes.begin(), bytes.end()), value)) {
        value = 1;
    }
    *level = value == 0 ? HI_FALSE : HI_TRUE;
    return HI_SUCCESS;
}
