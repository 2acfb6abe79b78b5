#include "output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

static int Fail(const char* path, int error) {
    fprintf(stderr, "keypad-tool: cannot write %s: %s\n", path, strerror(error));
    return -1;
}

// The descriptor that path names when it is one of the process's own, else -1.
static int OwnDescriptor(const char* path) {
    if (strcmp(path, "/dev/stdout") == 0) return STDOUT_FILENO;
    if (strcmp(path, "/dev/stderr") == 0) return STDERR_FILENO;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const size_t n = strlen(prefix);
        const char* number = path + n;
        if (strncmp(path, prefix, n) == 0 && *number != '\0' && strlen(number) < 8 &&
            strspn(number, "0123456789") == strlen(number)) {
            return atoi(number);
        }
    }
    return -1;
}

static std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links at path ends in (path itself when it is no link); false
// after too many links.
static bool FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        const ssize_t length = readlink(target.c_str(), link, sizeof link - 1);
        if (length < 0) return true;  // not a link (or absent): this is the file
        link[length] = '\0';
        target = link[0] == '/' ? std::string(link) : FolderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

static bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t done = write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

// Straight into the file as it stands: for pipes and devices, and for a writable file in a
// folder where no temporary file can be made.
static int WriteInPlace(const char* shown, const std::string& target, const char* data, size_t size,
                        bool regular) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | (regular ? O_TRUNC : 0));
    if (fd < 0) return Fail(shown, errno);
    bool ok = WriteAll(fd, data, size);
    int error = errno;
    if (ok && regular && fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? 0 : Fail(shown, error);
}

// Writes the text to the descriptor as it stands: what the program printed before comes first.
static int WriteToDescriptor(const char* path, int fd, const char* data, size_t size) {
    fflush(nullptr);
    if (!WriteAll(fd, data, size)) return Fail(path, errno);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && fsync(fd) != 0) return Fail(path, errno);
    return 0;
}

static int WriteFile(const char* path, const char* data, size_t size) {
    const int own = OwnDescriptor(path);
    if (own >= 0) return WriteToDescriptor(path, own, data, size);
    struct stat info;
    bool exists = stat(path, &info) == 0;
    if (!exists && errno != ENOENT) return Fail(path, errno);
    if (exists && S_ISDIR(info.st_mode)) return Fail(path, EISDIR);
    // Opened as named, so that /dev/stdout and /proc's links to pipes work as the shell's do.
    if (exists && !S_ISREG(info.st_mode)) return WriteInPlace(path, path, data, size, false);
    std::string target;
    if (!FollowLinks(path, target)) return Fail(path, errno);
    exists = stat(target.c_str(), &info) == 0;
    // Root may write anything, so a file that no one may write is refused by its mode.
    if (exists && (access(target.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0)) {
        if (access(target.c_str(), W_OK) != 0) return Fail(path, errno);
        fprintf(stderr, "keypad-tool: cannot write %s: it is read-only (mode %04o)\n", path,
                info.st_mode & 07777);
        return -1;
    }
    mode_t mode = 0;
    if (exists) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string folder = FolderOf(target);
    std::string temporary = target + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EROFS || error == EPERM)) {
            return WriteInPlace(path, target.c_str(), data, size, true);
        }
        return Fail(path, error);
    }
    bool ok = WriteAll(fd, data, size);
    if (ok && exists && fchown(fd, info.st_uid, info.st_gid) != 0) {
        // Only the owner's group may be kept by a user who is not root; the mode still is.
        (void)!fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    ok = ok && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return Fail(path, error);
    }
    // The rename is durable only once the folder's entry is on the disk.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return 0;
}

int WriteOutputFile(const char* path, const char* data, size_t size) {
    sigset_t stops;
    sigset_t before;
    sigemptyset(&stops);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    sigprocmask(SIG_BLOCK, &stops, &before);
    const int result = WriteFile(path, data, size);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return result;
}

static bool SameFile(const char* a, const char* b) {
    struct stat x;
    struct stat y;
    return a && b && stat(a, &x) == 0 && stat(b, &y) == 0 && S_ISREG(x.st_mode) &&
           x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

int RefuseOutputOverInput(const char* output, const char* what, const char* input,
                          const char* other) {
    const char* same = SameFile(output, input) ? input : SameFile(output, other) ? other : nullptr;
    if (!same) return 0;
    fprintf(stderr, "keypad-tool: %s is the input %s: %s is not written over it\n", output, same,
            what);
    return -1;
}
