// Our own declaration of the chip SDK calls and records that the daemon uses. On the set these
// resolve to libhi_msp, libhicust and libhi_securec; off the device the simulated board in
// platform/chip_sim provides them. Only what the daemon relies on is declared here.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t HI_S32;
typedef uint32_t HI_U32;
typedef uint8_t HI_U8;
typedef void HI_VOID;
typedef char HI_CHAR;

typedef enum { HI_FALSE = 0, HI_TRUE = 1 } HI_BOOL;

#define HI_SUCCESS 0

// LSADC controller configuration: ten 32-bit words; word 0 is the channel mask, the rest keep
// the SDK's own meaning and are written as fixed values.
typedef struct hiUNF_LSADC_Config_S {
    HI_U32 words[10];
} hiUNF_LSADC_Config_S;

// Wake-up source of the LSADC power key.
#define HI_UNF_PMOC_WAKEUP_LSADC 6

// One power key's pair in the PMOC wake-up condition: lower value, then threshold.
typedef struct {
    HI_U8 lowValue;
    HI_U8 threshold;
} HI_UNF_PMOC_LSADC_KEY_S;

// PMOC wake-up condition of the LSADC power key (68 bytes, little-endian). Only the channel mask
// and the four key pairs belong to the daemon; the rest is carried through unchanged.
typedef struct {
    HI_U8 head[4];
    HI_U32 channelMask;
    HI_UNF_PMOC_LSADC_KEY_S keys[4];
    HI_U8 tail[52];
} HI_UNF_PMOC_WAKEUP_CONDITION_S;

// Device-information types of the PDM store.
#define HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY 17
#define HI_UNF_PDM_DEVINFO_KEY_LOCK 34

// One power key's pair in the PDM power-key record: lower value (signed), then threshold.
typedef struct {
    int32_t lowValue;
    HI_U32 threshold;
} HI_UNF_PDM_LSADC_KEY_S;

// PDM device-information record of the LSADC power key (type 17, 132 bytes, little-endian).
typedef struct {
    HI_U8 head[64];
    HI_U32 channelMask;
    HI_UNF_PDM_LSADC_KEY_S keys[4];
    HI_U8 tail[32];
} HI_UNF_PDM_LSADC_POWER_KEY_S;

// GPIO (libhi_msp). Line numbers are group * 8 + pin; direction HI_TRUE makes the line an input.
HI_S32 HI_UNF_GPIO_Init(HI_VOID);
HI_S32 HI_UNF_GPIO_DeInit(HI_VOID);
HI_S32 HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL input);
HI_S32 HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level);

// LSADC (libhi_msp). Init returns a descriptor watched with epoll for EPOLLIN, negative on error.
HI_S32 HI_UNF_LSADC_Init(HI_VOID);
HI_S32 HI_UNF_LSADC_GetConfig(hiUNF_LSADC_Config_S* config);
HI_S32 HI_UNF_LSADC_SetConfig(hiUNF_LSADC_Config_S* config);
HI_S32 HI_UNF_LSADC_GetValue(HI_U32 channel, HI_U32* value);

// Power management (libhi_msp). The set call takes the whole record by value.
HI_S32 HI_UNF_PMOC_Init(HI_VOID);
HI_S32 hi_unf_pmoc_get_wakeup_condition(HI_U32 source, HI_UNF_PMOC_WAKEUP_CONDITION_S* condition);
HI_S32 hi_unf_pmoc_set_wakeup_condition(HI_U32 source, HI_UNF_PMOC_WAKEUP_CONDITION_S condition);

// Device-information store (libhi_msp).
HI_S32 HI_UNF_PDM_GetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size);
HI_S32 HI_UNF_PDM_SetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size);

// Customisation files (libhicust): the path of a named configuration file, written into the
// caller's zeroed 128-byte buffer, or no path.
extern int CUST_TYPE_CONFIG;
char* hi_get_one_cfg_file(const char* name, int type, char* buffer);
#define HI_CUST_PATH_BUFFER_SIZE 128

// Bounded memory and string helpers (libhi_securec): 0 on success.
int memset_s(void* dest, size_t destMax, int c, size_t count);
int strncpy_s(char* dest, size_t destMax, const char* src, size_t count);

#ifdef __cplusplus
}

static_assert(sizeof(HI_BOOL) == 4, "HI_BOOL is a 32-bit enum");
static_assert(sizeof(hiUNF_LSADC_Config_S) == 40, "LSADC configuration is ten words");
static_assert(sizeof(HI_UNF_PMOC_LSADC_KEY_S) == 2, "PMOC key pair is two bytes");
static_assert(sizeof(HI_UNF_PMOC_WAKEUP_CONDITION_S) == 68, "PMOC wake-up record is 68 bytes");
static_assert(offsetof(HI_UNF_PMOC_WAKEUP_CONDITION_S, channelMask) == 4, "PMOC mask at byte 4");
static_assert(offsetof(HI_UNF_PMOC_WAKEUP_CONDITION_S, keys) == 8, "PMOC keys at byte 8");
static_assert(offsetof(HI_UNF_PMOC_WAKEUP_CONDITION_S, tail) == 16, "PMOC tail at byte 16");
static_assert(sizeof(HI_UNF_PDM_LSADC_KEY_S) == 8, "PDM key pair is two words");
static_assert(sizeof(HI_UNF_PDM_LSADC_POWER_KEY_S) == 132, "PDM power-key record is 132 bytes");
static_assert(offsetof(HI_UNF_PDM_LSADC_POWER_KEY_S, channelMask) == 64, "PDM mask at byte 64");
static_assert(offsetof(HI_UNF_PDM_LSADC_POWER_KEY_S, keys) == 68, "PDM keys at byte 68");
static_assert(offsetof(HI_UNF_PDM_LSADC_POWER_KEY_S, tail) == 100, "PDM tail at byte 100");
#endif
