#include <windows.h>

#include <cstring>
#include <string>

#include "listed_file.h"

ListedFileAccess listedFileAccess = {openListedFile, measureListedFile, readListedFile,
                                     closeListedFile, startAsyncReads};

static HANDLE handleOf(const ListedFile* file) { return reinterpret_cast<HANDLE>(file->handle); }

static bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Lists written on Linux or by a current editor are UTF-8, older ones are in the local code page.
// A non-ASCII name that is valid UTF-8 is taken as UTF-8 (a name in a legacy code page is hardly
// ever valid UTF-8 by chance); any other name goes through the local code page, as the system's
// narrow calls would take it. Empty when the name cannot be converted.
static std::wstring widened(const char* path) {
    bool ascii = true;
    for (const char* c = path; *c != 0; ++c) ascii = ascii && static_cast<unsigned char>(*c) < 0x80;
    UINT codePage = CP_ACP;
    DWORD flags = 0;
    if (!ascii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0) > 0) {
        codePage = CP_UTF8;
        flags = MB_ERR_INVALID_CHARS;
    }
    const int length = MultiByteToWideChar(codePage, flags, path, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, path, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// The full path with "\\?\" before it ("\\?\UNC\" on a network share), so that no path is held to
// MAX_PATH. That prefix turns the system's own normalisation off, so the full path (separators,
// "." segments, trailing dots and blanks, as any other open takes them) is made first. Empty on
// failure.
static std::wstring extendedPath(const wchar_t* path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(path, static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(path, static_cast<DWORD>(full.size()), &full[0], nullptr);
    }
    if (length == 0 || length >= full.size()) return std::wstring();
    full.resize(length);
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

static bool isReparsePoint(DWORD attributes) {
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether every folder between the current one and the file (usb_update first) is a plain folder,
// none a junction, symbolic link or other reparse point that could lead out of the package.
static bool plainFolders(const std::wstring& file) {
    std::wstring root = extendedPath(L".");
    if (!root.empty() && root.back() == L'\\') root.pop_back();
    if (root.empty() || file.size() <= root.size() + 1 || file.compare(0, root.size(), root) != 0 ||
        file[root.size()] != L'\\') {
        return false;
    }
    for (size_t at = file.find(L'\\', root.size() + 1); at != std::wstring::npos;
         at = file.find(L'\\', at + 1)) {
        if (isReparsePoint(GetFileAttributesW(file.substr(0, at).c_str()))) return false;
    }
    return true;
}

static HANDLE openByFullPath(const std::wstring& path, DWORD flags) {
    // Opens a link itself rather than what it leads to, so that it shows as one below.
    flags |= FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN;
    const DWORD share = FILE_SHARE_READ;  // no one may write the file while it is read
    return CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

void closeListedFolder(ListedFolder* folder) { *folder = kNoListedFolder; }

ListedFileOpen openListedFile(const char* path, ListedFolder* folder, ListedFile* file) {
    const std::wstring full = extendedPath(widened(path).c_str());
    if (full.empty()) return kOpenFailed;
    // The folders are looked at once for all the files listed in them one after another.
    size_t length = 0;
    for (size_t i = 0; path[i] != 0; ++i) length = isSeparator(path[i]) ? i : length;
    if (folder->path == nullptr || folder->length != length ||
        strncmp(folder->path, path, length) != 0) {
        closeListedFolder(folder);
        if (!plainFolders(full)) return kOpenFailed;
        *folder = ListedFolder{path, length, 0};
    }

    HANDLE handle = openByFullPath(full, FILE_FLAG_NO_BUFFERING);
    ListedFileOpen opened = kOpenedUnbuffered;
    if (handle == INVALID_HANDLE_VALUE) {
        // Whatever made the first open fail, only unbuffered reading can be at fault if this
        // one works.
        handle = openByFullPath(full, 0);
        if (handle == INVALID_HANDLE_VALUE) return kOpenFailed;
        opened = kOpenedCached;
    }
    // A plain file: no link, no folder. In the \\?\ form a name such as CON or NUL is a file's
    // name like any other, never a device. (Asked for these attributes alone: the whole record of
    // GetFileInformationByHandle asks for the volume's too, which costs a millisecond under Wine.)
    FILE_ATTRIBUTE_TAG_INFO information;
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &information,
                                      sizeof information) ||
        (information.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
            0) {
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
