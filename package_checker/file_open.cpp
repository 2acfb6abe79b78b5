#include "file_open.h"

#if defined(_WIN32)
#include <share.h>
#endif

FILE* openDenyingWriters(const char* path) {
#if defined(_WIN32)
    // The sharing mode refuses the open while someone has the file open for writing, and
    // anyone else's open for writing while we read it.
    return _fsopen(path, "rb", _SH_DENYWR);
#else
    // Other systems have no sharing modes: the host build reads the file as it stands.
    return fopen(path, "rb");
#endif
}
