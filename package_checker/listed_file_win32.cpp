#include <windows.h>

#include <string>

#include "listed_file.h"

ListedFileAccess listedFileAccess = {openListedFile, measureListedFile, readListedFile,
                                     closeListedFile};

static HANDLE handleOf(const ListedFile* file) { return reinterpret_cast<HANDLE>(file->handle); }

static bool plainAscii(const char* text) {
    for (; *text != 0; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    }
    return true;
}

// Lists written on Linux or by a current editor are UTF-8, older ones are in the local code page.
// A non-ASCII name that is valid UTF-8 is taken as UTF-8 (a name in a legacy code page is hardly
// ever valid UTF-8 by chance); any other name goes through the local code page as before.
static HANDLE openByListedName(const char* path, DWORD flags) {
    const DWORD share = FILE_SHARE_READ;  // no one may write the file while it is read
    if (!plainAscii(path)) {
        const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
        if (length > 0) {
            std::wstring wide(static_cast<size_t>(length), L'\0');
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length);
            return CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags,
                               nullptr);
        }
    }
    return CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

ListedFileOpen openListedFile(const char* path, ListedFile* file) {
    HANDLE handle = openByListedName(path, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN);
    ListedFileOpen opened = kOpenedUnbuffered;
    if (handle == INVALID_HANDLE_VALUE) {
        // Whatever made the first open fail, only unbuffered reading can be at fault if this
        // one works.
        handle = openByListedName(path, FILE_FLAG_SEQUENTIAL_SCAN);
        if (handle == INVALID_HANDLE_VALUE) return kOpenFailed;
        opened = kOpenedCached;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return kOpenFailed;
    }
    file->handle = reinterpret_cast<intptr_t>(handle);
    return opened;
}

int64_t measureListedFile(ListedFile* file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(handleOf(file), &size) ? static_cast<int64_t>(size.QuadPart) : -1;
}

long readListedFile(ListedFile* file, int64_t offset, void* buffer, size_t size) {
    // On a handle opened without FILE_FLAG_OVERLAPPED this is a plain read at the given offset.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, &at)) {
        return static_cast<long>(got);
    }
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

void closeListedFile(ListedFile* file) { CloseHandle(handleOf(file)); }
