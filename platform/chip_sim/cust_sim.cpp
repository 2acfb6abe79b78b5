// Customisation-file lookup of the simulated board: a configuration file named N is the board
// file cfg/N, and the lookup answers with its path only when the file is there.
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "board_files.h"
#include "sdk/hi_sdk_api.h"

int CUST_TYPE_CONFIG = 1;

char* hi_get_one_cfg_file(const char* name, int type, char* buffer) {
    int32_t code = 0;
    if (SimFailCode("hi_get_one_cfg_file", code) || !name || !buffer || type != CUST_TYPE_CONFIG) {
        return nullptr;
    }
    std::string path = SimBoardPath(std::string("cfg/") + name);
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        path.size() >= HI_CUST_PATH_BUFFER_SIZE) {
        return nullptr;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return buffer;
}
