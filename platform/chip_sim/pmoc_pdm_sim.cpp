// Wake-up conditions (pmoc/<source>) and device-information records (pdm/<type>) of the
// simulated board, kept as raw little-endian bytes. A missing file reads as zeros, and so does
// whatever a short file does not cover.
#include <string.h>

#include <string>
#include <vector>

#include "board_files.h"
#include "sdk/hi_sdk_api.h"

static void ReadRecord(const std::string& relative, void* data, size_t size) {
    memset(data, 0, size);
    std::vector<uint8_t> bytes;
    if (SimReadFile(relative, bytes)) {
        memcpy(data, bytes.data(), bytes.size() < size ? bytes.size() : size);
    }
}

HI_S32 HI_UNF_PMOC_Init(HI_VOID) {
    int32_t code = 0;
    return SimFailCode("HI_UNF_PMOC_Init", code) ? code : HI_SUCCESS;
}

HI_S32 hi_unf_pmoc_get_wakeup_condition(HI_U32 source, HI_UNF_PMOC_WAKEUP_CONDITION_S* condition) {
    int32_t code = 0;
    if (SimFailCode("hi_unf_pmoc_get_wakeup_condition", code)) {
        return code;
    }
    if (!condition) {
        return kSimBadArgument;
    }
    ReadRecord("pmoc/" + std::to_string(source), condition, sizeof *condition);
    return HI_SUCCESS;
}

HI_S32 hi_unf_pmoc_set_wakeup_condition(HI_U32 source, HI_UNF_PMOC_WAKEUP_CONDITION_S condition) {
    int32_t code = 0;
    if (SimFailCode("hi_unf_pmoc_set_wakeup_condition", code)) {
        return code;
    }
    return SimWriteFile("pmoc/" + std::to_string(source), &condition, sizeof condition)
               ? HI_SUCCESS
               : kSimBadArgument;
}

HI_S32 HI_UNF_PDM_GetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_PDM_GetDevInfo", code)) {
        return code;
    }
    if (!data) {
        return kSimBadArgument;
    }
    ReadRecord("pdm/" + std::to_string(type), data, size);
    return HI_SUCCESS;
}

HI_S32 HI_UNF_PDM_SetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_PDM_SetDevInfo", code)) {
        return code;
    }
    if (!data) {
        return kSimBadArgument;
    }
    return SimWriteFile("pdm/" + std::to_string(type), data, size) ? HI_SUCCESS : kSimBadArgument;
}
