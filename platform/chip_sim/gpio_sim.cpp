// GPIO lines of the simulated board: gpio/<group*8+pin> holds "0" or "1"; a line without a file
// is pulled up (1), which is a released key. A file may hold several levels separated by blanks,
// one for each read to come: a read takes the first and leaves the rest, and the last one stays.
// A test can so change a line between two given polling passes, which no writer outside the
// daemon can time.
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
    const std::string name = "gpio/" + std::to_string(gpioNo);
    std::vector<uint8_t> bytes;
    uint32_t value = 1;
    if (SimReadFile(name, bytes)) {
        std::string levels(bytes.begin(), bytes.end());
        size_t end = levels.find_first_of(" \t\n", levels.find_first_not_of(" \t\n"));
        size_t rest = levels.find_first_not_of(" \t\n", end);
        if (rest != std::string::npos) {
            SimWriteFile(name, levels.data() + rest, levels.size() - rest);
            levels.resize(end);
        }
        if (!SimParseNumber(levels, value)) {
            value = 1;
        }
    }
    *level = value == 0 ? HI_FALSE : HI_TRUE;
    return HI_SUCCESS;
}
